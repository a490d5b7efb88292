#pragma once

#include <windows.h>
#include <wincrypt.h>

namespace morvalent::jni {

// An open certificate store, closed when the holder ends.
class cert_store {
public:
    explicit cert_store(HCERTSTORE store) noexcept : store_(store) {}
    cert_store(const cert_store&) = delete;
    cert_store& operator=(const cert_store&) = delete;
    cert_store(cert_store&& other) noexcept : store_(other.store_) { other.store_ = nullptr; }
    ~cert_store()
    {
        if (*this) CertCloseStore(store_, 0);
    }

    HCERTSTORE get() const noexcept { return store_; }
    explicit operator bool() const noexcept { return store_ != nullptr && store_ != INVALID_HANDLE_VALUE; }

private:
    HCERTSTORE store_;
};

// A certificate context found in a store, freed when the holder ends.
class cert_context {
public:
    explicit cert_context(PCCERT_CONTEXT context) noexcept : context_(context) {}
    cert_context(const cert_context&) = delete;
    cert_context& operator=(const cert_context&) = delete;
    cert_context(cert_context&& other) noexcept : context_(other.context_) { other.context_ = nullptr; }
    ~cert_context()
    {
        if (context_) CertFreeCertificateContext(context_);
    }

    PCCERT_CONTEXT get() const noexcept { return context_; }
    explicit operator bool() const noexcept { return context_ != nullptr; }

private:
    PCCERT_CONTEXT context_;
};

} // namespace morvalent::jni
