#include "alias_register.h"

#include <algorithm>

namespace morvalent::jni {

std::wstring alias_register::alias_for(const std::wstring& display_name) const
{
    if (!held(display_name)) return display_name;
    for (unsigned long number = 1;; ++number) {
        std::wstring candidate = display_name + L" (" + std::to_wstring(number) + L")";
        if (!held(candidate)) return candidate;
    }
}

void alias_register::hold(std::wstring alias)
{
    held_.push_back(std::move(alias));
}

bool alias_register::held(const std::wstring& alias) const
{
    return std::find(held_.begin(), held_.end(), alias) != held_.end();
}

} // namespace morvalent::jni
