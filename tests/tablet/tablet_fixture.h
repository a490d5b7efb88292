#pragma once

// Test bed of the tablet bridge: a real window on a thread of its own, the
// fake Java VM with the WintabHelper class and a recording listener, the
// stand-in "jawt.dll" and the stand-in Wintab driver chosen in the registry.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "fake_jvm.h"
#include "../doubles/jawt_double.h"
#include "../doubles/wintab_double.h"

namespace tablet_test {

using wintab_double::LOGCONTEXTW;
using wintab_double::PACKET;

// A popup window (not shown, so nothing activates it by itself) at the given
// screen rectangle, owned by a thread that runs a message loop.
class window_thread {
public:
    // With `java_vm` the thread is made a Java thread of that VM, as AWT's is.
    window_thread(int x, int y, int width, int height, fakejvm::vm* java_vm = nullptr);
    ~window_thread();
    window_thread(const window_thread&) = delete;
    window_thread& operator=(const window_thread&) = delete;

    HWND hwnd() const { return window_; }
    DWORD thread_id() const { return thread_id_; }
    // Waits until the window's thread has handled everything posted so far.
    void flush();
    // Destroys the window on its own thread.
    void destroy();
    // Keeps the window's thread busy until release(), so that what is posted
    // meanwhile waits.
    void hold();
    void release();
    // Messages that reached the window's own procedure, in order.
    std::vector<UINT> messages();
    void clear_messages();

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void run(int x, int y, int width, int height, fakejvm::vm* java_vm);

    HWND window_ = nullptr;
    DWORD thread_id_ = 0;
    HANDLE ready_ = nullptr;
    HANDLE flushed_ = nullptr;
    HANDLE held_ = nullptr;
    HANDLE released_ = nullptr;
    std::mutex lock_;
    std::vector<UINT> messages_;
    std::thread thread_;
};

struct listener_call {
    const void* listener; // the Java object called
    bool down;
    float x;
    float y;
    float pressure;
    DWORD thread;
};

// The fake VM with the classes the bridge meets, and the seven natives.
class bridge {
public:
    bridge();
    ~bridge();

    fakejvm::vm vm;
    JNIEnv* env;

    using void_native = void(JNICALL*)(JNIEnv*, jobject);
    using object_native = void(JNICALL*)(JNIEnv*, jobject, jobject);
    using bool_native = jboolean(JNICALL*)(JNIEnv*, jobject);
    object_native ctr;
    void_native finalize;
    object_native add_listener;
    object_native remove_listener;
    bool_native enable;
    void_native disable;
    bool_native is_enabled;

    jobject new_helper() { return vm.new_object("com/morvalent/signature/WintabHelper"); }
    jobject new_component() { return vm.new_object("java/awt/Component"); }
    jobject new_listener() { return vm.new_object("test/Listener"); }
    jlong handle_of(jobject helper) { return vm.field_value(helper, "handle").j; }

    // ctr through the stand-in "jawt.dll", which the test loads to steer it
    // and unloads again. Returns the calls it saw.
    std::string construct(jobject helper, HWND window, int failing_step = jawt_double::fail_none);
    // The pending exception's message (empty for none), cleared.
    std::string take_exception();
    // Every native but finalize refuses an object without a record with "'handle' null".
    void expect_natives_refuse(jobject helper, jobject listener);

    std::vector<listener_call> calls();
    void clear_calls();
    // Runs inside every onAction before it is recorded.
    void on_action(std::function<void(JNIEnv*)> hook);

private:
    std::mutex lock_;
    std::vector<listener_call> calls_;
    std::function<void(JNIEnv*)> hook_;
};

// The stand-in driver as loaded by the bridge (the test holds no reference).
struct driver {
    explicit driver(const std::wstring& file_name);
    HMODULE module;
    wintab_double::configure_fn configure;
    wintab_double::queue_fn queue;
    wintab_double::queued_fn queued;
    wintab_double::call_count_fn call_count;
    wintab_double::call_at_fn call_at;
    std::vector<wintab_double::call> calls() const;
    bool loaded() const;
    std::wstring path;
};

std::wstring driver_path(const std::wstring& file_name);
// HKLM "Software\Morvalent\qf" "wtLibrary": a full path in the test folder.
void use_driver(const std::wstring& file_name);
void set_driver_value(const void* data, DWORD size);
void remove_driver_setting();
int driver_loads();
int driver_closes();

// The default context of the worked example: raw 800 x 600 tablet units onto a
// 400 x 300 screen area at (0, 0); device 2.
LOGCONTEXTW example_context();
PACKET packet(LONG x, LONG y, UINT pressure, DWORD buttons);

// Waits up to `timeout_ms` for `condition`, polling.
bool wait_for(const std::function<bool()>& condition, DWORD timeout_ms = 5000);

} // namespace tablet_test

namespace tablet_test {

// Each case starts with the standard stand-in driver named in the registry.
class TabletTest : public ::testing::Test {
protected:
    TabletTest();
    ~TabletTest() override;

    // A live WintabHelper on `window` with the driver steered to `context` and
    // the axis, a listener added, the context opened and delivery enabled.
    jobject open_helper(window_thread& window, jobject& listener, const LOGCONTEXTW& context = example_context(),
                        LONG axis_min = 0, LONG axis_max = 511);
    // Queues packets at the driver (which posts one WT_PACKET) and waits
    // until the window's thread has handled it.
    void deliver(window_thread& window, const std::vector<PACKET>& packets);

    bridge b;

private:
    // Finalised at the end if a failed case left them live, so that no
    // driver stays loaded into the next case.
    std::vector<jobject> opened_;
};

} // namespace tablet_test
