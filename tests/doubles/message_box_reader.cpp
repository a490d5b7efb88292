#include "message_box_reader.h"

namespace test_doubles {

namespace {

constexpr DWORD poll_ms = 10;
constexpr int static_text_id = 0xFFFF;

// WM_GETTEXT is carried across processes, unlike GetWindowTextW on controls.
std::wstring window_text(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"<no reply>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    text.resize(copied);
    return text;
}

bool visible_button(HWND box, int id)
{
    const HWND button = GetDlgItem(box, id);
    return button && IsWindowVisible(button);
}

message_box read_box(HWND box)
{
    message_box seen;
    seen.caption = window_text(box);
    const HWND text = GetDlgItem(box, static_text_id);
    seen.text = text ? window_text(text) : L"<no text control>";
    bool other_button = false;
    for (int id : {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE})
        other_button = other_button || visible_button(box, id);
    seen.ok_only = visible_button(box, IDOK) && !other_button;
    return seen;
}

} // namespace

message_box_reader::message_box_reader(std::wstring caption, std::function<void()> on_box)
    : caption_(std::move(caption)), on_box_(std::move(on_box))
{
    thread_ = std::thread([this] { watch(); });
}

message_box_reader::~message_box_reader() { stop(); }

void message_box_reader::watch()
{
    HWND last = nullptr;
    while (!stopping_) {
        const HWND box = FindWindowW(L"#32770", caption_.c_str());
        // A box is read once it is shown, that is, once it is filled in.
        if (box && box != last && IsWindowVisible(box)) {
            message_box seen = read_box(box);
            if (on_box_) on_box_();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(std::move(seen));
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            last = box;
        }
        if (last && !IsWindow(last)) last = nullptr;
        Sleep(poll_ms);
    }
}

bool message_box_reader::wait_for_box(DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!boxes_.empty()) return true;
        }
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(poll_ms);
    }
}

std::vector<message_box> message_box_reader::stop()
{
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

} // namespace test_doubles
