#include "bstr_holder.h"

#include <new>

#include "com_error.h"

namespace morvalent::jni {

bstr_holder::bstr_holder() : bstr_holder(nullptr) {}

bstr_holder::bstr_holder(BSTR adopted)
{
    void* memory = ::operator new(sizeof(control_block), std::nothrow);
    if (!memory) {
        SysFreeString(adopted);
        throw _com_error(E_OUTOFMEMORY);
    }
    block_ = new (memory) control_block{adopted};
}

bstr_holder::~bstr_holder()
{
    SysFreeString(block_->text);
    ::operator delete(block_);
}

bool bstr_holder::assign(const wchar_t* text, UINT length) noexcept
{
    BSTR copy = SysAllocStringLen(text, length);
    SysFreeString(block_->text);
    block_->text = copy;
    return copy != nullptr;
}

void bstr_holder::reset() noexcept
{
    SysFreeString(block_->text);
    block_->text = nullptr;
}

} // namespace morvalent::jni
