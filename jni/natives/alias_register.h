#pragma once

#include <string>
#include <vector>

namespace morvalent::jni {

// The aliases given out during one repair of a keystore. Two certificates
// that show the same display name must not end up with the same alias, or
// the second could no longer be chosen by it: a repeated name is numbered
// "name (1)", "name (2)", ..., skipping any text already given out.
class alias_register {
public:
    // The alias for the next entry whose certificate shows `display_name`.
    std::wstring alias_for(const std::wstring& display_name) const;
    // Records an alias that an entry has received.
    void hold(std::wstring alias);

private:
    bool held(const std::wstring& alias) const;

    std::vector<std::wstring> held_;
};

} // namespace morvalent::jni
