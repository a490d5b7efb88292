#pragma once

#include <jni.h>

namespace morvalent::jni {

// Owner of one JNI local reference, deleted when the holder ends, so that a
// native looping over many Java objects keeps a bounded number of them.
// DeleteLocalRef is allowed while an exception is pending.
template <class T>
class local_ref {
public:
    local_ref() noexcept = default;
    local_ref(JNIEnv* env, T ref) noexcept : env_(env), ref_(ref) {}
    local_ref(const local_ref&) = delete;
    local_ref& operator=(const local_ref&) = delete;
    local_ref(local_ref&& other) noexcept : env_(other.env_), ref_(other.ref_) { other.ref_ = nullptr; }
    local_ref& operator=(local_ref&& other) noexcept
    {
        if (this != &other) {
            reset();
            env_ = other.env_;
            ref_ = other.ref_;
            other.ref_ = nullptr;
        }
        return *this;
    }
    ~local_ref() { reset(); }

    void reset() noexcept
    {
        if (ref_) env_->DeleteLocalRef(ref_);
        ref_ = nullptr;
    }

    // Gives the reference up without deleting it.
    T release() noexcept
    {
        T ref = ref_;
        ref_ = nullptr;
        return ref;
    }

    T get() const noexcept { return ref_; }
    explicit operator bool() const noexcept { return ref_ != nullptr; }

private:
    JNIEnv* env_ = nullptr;
    T ref_ = nullptr;
};

} // namespace morvalent::jni
