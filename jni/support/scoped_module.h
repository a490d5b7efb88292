#pragma once

#include <windows.h>

namespace morvalent::jni {

// Owner of one loaded library, freed when the holder ends. Move-only.
class scoped_module {
public:
    scoped_module() noexcept = default;
    explicit scoped_module(HMODULE module) noexcept : module_(module) {}
    scoped_module(const scoped_module&) = delete;
    scoped_module& operator=(const scoped_module&) = delete;
    scoped_module(scoped_module&& other) noexcept : module_(other.release()) {}
    scoped_module& operator=(scoped_module&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~scoped_module() { reset(); }

    explicit operator bool() const noexcept { return module_ != nullptr; }
    HMODULE get() const noexcept { return module_; }
    HMODULE release() noexcept
    {
        HMODULE module = module_;
        module_ = nullptr;
        return module;
    }
    void reset(HMODULE module = nullptr) noexcept
    {
        if (module_) FreeLibrary(module_);
        module_ = module;
    }
    // The named export as a function pointer of type F; null when missing.
    template <class F>
    F entry(const char* name) const noexcept
    {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_ = nullptr;
};

} // namespace morvalent::jni
