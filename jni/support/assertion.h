#pragma once

namespace morvalent::jni {

// Writes "Morvalent Assertion Failure - <file> <line>" to standard error and
// ends the process with the system's fatal-exit report.
[[noreturn]] void assertion_failed(const char* file, unsigned line) noexcept;

} // namespace morvalent::jni
