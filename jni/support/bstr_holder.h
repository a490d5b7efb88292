#pragma once

#include <windows.h>
#include <oleauto.h>

namespace morvalent::jni {

// Owner of one BSTR (or none). Creating a holder takes a small control block;
// when that cannot be had it raises _com_error(E_OUTOFMEMORY), which the
// natives' COM-error handler catches.
class bstr_holder {
public:
    bstr_holder();                       // holds no string
    explicit bstr_holder(BSTR adopted);  // takes ownership of a system string
    bstr_holder(const bstr_holder&) = delete;
    bstr_holder& operator=(const bstr_holder&) = delete;
    ~bstr_holder();

    // Replaces the held string by a copy of `length` code units of `text`.
    // Returns false, holding none, when the system cannot allocate the copy.
    bool assign(const wchar_t* text, UINT length) noexcept;
    void reset() noexcept;

    BSTR get() const noexcept { return block_->text; }
    // The text, or the empty text when none is held.
    const wchar_t* c_str() const noexcept { return block_->text ? block_->text : L""; }
    UINT length() const noexcept { return block_->text ? SysStringLen(block_->text) : 0; }

private:
    struct control_block {
        BSTR text;
    };

    control_block* block_;
};

} // namespace morvalent::jni
