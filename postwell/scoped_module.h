#pragma once

#include <windows.h>

namespace postwell {

// Owner of one loaded library, freed when the holder ends.
class scoped_module {
public:
    explicit scoped_module(HMODULE module = nullptr) noexcept : module_(module) {}
    scoped_module(scoped_module&& other) noexcept : module_(other.module_) { other.module_ = nullptr; }
    scoped_module& operator=(scoped_module&& other) noexcept
    {
        if (this != &other) {
            reset();
            module_ = other.module_;
            other.module_ = nullptr;
        }
        return *this;
    }
    scoped_module(const scoped_module&) = delete;
    scoped_module& operator=(const scoped_module&) = delete;
    ~scoped_module() { reset(); }

    void reset() noexcept
    {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    HMODULE get() const noexcept { return module_; }
    explicit operator bool() const noexcept { return module_ != nullptr; }

private:
    HMODULE module_;
};

} // namespace postwell
