#pragma once

// A per-test folder holding a copy of postwell and a stand-in "mapi32.dll",
// so that postwell's library search finds the stand-in before Wine's own
// provider (which would show a message box). Reads what the stand-in received.

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "test_support.h"

namespace test_doubles {

enum class provider { with_send, without_send };

struct run_outcome {
    bool started = false;
    bool finished = false;
    DWORD exit_code = 0;
};

class mail_folder {
public:
    explicit mail_folder(provider kind = provider::with_send);
    ~mail_folder();
    mail_folder(const mail_folder&) = delete;
    mail_folder& operator=(const mail_folder&) = delete;

    const std::wstring& path() const { return folder_.path(); } // with a trailing backslash
    std::wstring postwell() const { return path() + L"postwell.exe"; }

    // What the stand-in returns, and "dialog" to show a stand-in compose window.
    void behave(const std::string& behaviour) const;

    // Starts the copy of postwell with exactly this command line and waits
    // for it to end (at most `timeout_ms`, then it is ended).
    run_outcome run(const std::wstring& command_line, const wchar_t* current_directory = nullptr,
                    DWORD timeout_ms = 20000) const;

    bool provider_loaded() const;
    bool provider_called() const;
    // The lines "name=value" that the stand-in wrote, waiting for them at
    // most 10 s; empty (and a test failure) when it was not called.
    std::map<std::string, std::string> received() const;
    // The same without waiting; empty when not called (yet).
    std::map<std::string, std::string> received_now() const;

private:
    test_support::temp_folder folder_;
};

// A string field of a record: none for "null" (or a missing field), else the
// text with the stand-in's \xHH escapes decoded.
std::optional<std::string> text_field(const std::map<std::string, std::string>& record, const std::string& name);

// Closes the stand-in compose window and waits (at most `timeout_ms`) for its
// process to end. False when there was no such window or it did not end.
bool close_compose_dialog(DWORD timeout_ms = 10000);

} // namespace test_doubles
