#include "holders.h"

#include "process_state.h"

namespace morvalent::launcher {

SIZE_T heap_size(unsigned long long bytes)
{
    return bytes > 0xFFFFFFFFull ? SIZE_T(0xFFFFFFFFu) : SIZE_T(bytes);
}

heap_string& heap_string::operator=(heap_string&& other) noexcept
{
    if (this != &other) {
        reset();
        text_ = other.text_;
        other.text_ = nullptr;
    }
    return *this;
}

bool heap_string::allocate(SIZE_T bytes) noexcept
{
    reset();
    text_ = static_cast<wchar_t*>(HeapAlloc(the_process.heap, HEAP_ZERO_MEMORY, bytes));
    return text_ != nullptr;
}

void heap_string::reset() noexcept
{
    if (text_) HeapFree(the_process.heap, 0, text_);
    text_ = nullptr;
}

} // namespace morvalent::launcher
