#pragma once

// Records the arguments of every MessageBoxW call made through this program's
// import table (the launcher's operations linked into it), then shows the box
// as usual. Only one spy at a time.

#include <windows.h>

#include <string>
#include <vector>

namespace launcher_tests {

class message_box_spy {
public:
    struct call {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT style;
    };

    message_box_spy();  // takes the import-table entry
    ~message_box_spy(); // puts the system's function back
    message_box_spy(const message_box_spy&) = delete;
    message_box_spy& operator=(const message_box_spy&) = delete;

    bool installed() const { return entry_ != nullptr; }
    std::vector<call> calls() const;

private:
    void** entry_ = nullptr;
    void* original_ = nullptr;
};

} // namespace launcher_tests
