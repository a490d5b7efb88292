#pragma once

// Reads and closes the message boxes that a program under test shows, from a
// thread of its own: it watches for a dialog ("#32770") with the expected
// caption, records what it shows, and presses OK. Works on boxes of this
// process and of other processes alike.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_doubles {

struct message_box {
    std::wstring caption;
    std::wstring text;
    bool ok_only = false; // an OK button and no other visible button
};

class message_box_reader {
public:
    // `on_box` is called on the reader's thread for each box, before OK is pressed.
    explicit message_box_reader(std::wstring caption, std::function<void()> on_box = nullptr);
    ~message_box_reader(); // stops watching
    message_box_reader(const message_box_reader&) = delete;
    message_box_reader& operator=(const message_box_reader&) = delete;

    // Waits until at least one box has been read, for at most `timeout_ms`.
    bool wait_for_box(DWORD timeout_ms);
    // Stops watching and returns every box read, in order.
    std::vector<message_box> stop();

private:
    void watch();

    const std::wstring caption_;
    const std::function<void()> on_box_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<message_box> boxes_;
    std::thread thread_;
};

} // namespace test_doubles
