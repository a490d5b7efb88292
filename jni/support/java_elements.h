#pragma once

#include <jni.h>

namespace morvalent::jni {

// The characters of a Java string, borrowed from the VM and given back when
// the holder ends. Empty when the VM could not give them (its exception is
// then pending).
class string_chars {
public:
    string_chars(JNIEnv* env, jstring text) noexcept
        : env_(env), text_(text), chars_(text ? env->GetStringChars(text, nullptr) : nullptr),
          length_(chars_ ? env->GetStringLength(text) : 0)
    {
    }
    string_chars(const string_chars&) = delete;
    string_chars& operator=(const string_chars&) = delete;
    ~string_chars()
    {
        if (chars_) env_->ReleaseStringChars(text_, chars_);
    }

    const jchar* get() const noexcept { return chars_; }
    jsize length() const noexcept { return length_; }
    explicit operator bool() const noexcept { return chars_ != nullptr; }

private:
    JNIEnv* env_;
    jstring text_;
    const jchar* chars_;
    jsize length_;
};

// The elements of a Java byte array, borrowed from the VM. They may be changed
// as scratch space: the holder gives them back with JNI_ABORT, so that no
// change reaches the Java array. Empty when the VM could not give them.
class byte_array_elements {
public:
    byte_array_elements(JNIEnv* env, jbyteArray array) noexcept
        : env_(env), array_(array), length_(array ? env->GetArrayLength(array) : 0),
          bytes_(array ? env->GetByteArrayElements(array, nullptr) : nullptr)
    {
        if (!bytes_) length_ = 0;
    }
    byte_array_elements(const byte_array_elements&) = delete;
    byte_array_elements& operator=(const byte_array_elements&) = delete;
    ~byte_array_elements()
    {
        if (bytes_) env_->ReleaseByteArrayElements(array_, bytes_, JNI_ABORT);
    }

    jbyte* get() const noexcept { return bytes_; }
    jsize length() const noexcept { return length_; }
    explicit operator bool() const noexcept { return bytes_ != nullptr; }

private:
    JNIEnv* env_;
    jbyteArray array_;
    jsize length_;
    jbyte* bytes_;
};

} // namespace morvalent::jni
