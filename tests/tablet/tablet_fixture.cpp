#include "tablet_fixture.h"

#include "test_support.h"

namespace tablet_test {

namespace {

constexpr UINT flush_message = WM_APP + 1;
constexpr UINT destroy_message = WM_APP + 2;
constexpr UINT hold_message = WM_APP + 3;
constexpr wchar_t class_name[] = L"inkvaleTabletTestWindow";
constexpr wchar_t self_property[] = L"inkvale.test.window";
const std::wstring driver_key = L"Software\\Morvalent\\qf";

} // namespace

window_thread::window_thread(int x, int y, int width, int height, fakejvm::vm* java_vm)
{
    ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    flushed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    held_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    released_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    thread_ = std::thread([=] { run(x, y, width, height, java_vm); });
    EXPECT_EQ(WaitForSingleObject(ready_, 10000), WAIT_OBJECT_0) << "window thread did not start";
    EXPECT_NE(window_, nullptr) << "no window";
}

window_thread::~window_thread()
{
    if (thread_id_) PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    if (thread_.joinable()) thread_.join();
    CloseHandle(ready_);
    CloseHandle(flushed_);
    CloseHandle(held_);
    CloseHandle(released_);
}

void window_thread::run(int x, int y, int width, int height, fakejvm::vm* java_vm)
{
    thread_id_ = GetCurrentThreadId();
    if (java_vm) java_vm->java_thread_env();
    WNDCLASSW wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassW(&wc); // fails harmlessly when already registered
    window_ = CreateWindowExW(0, class_name, L"tablet test", WS_POPUP, x, y, width, height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_) SetPropW(window_, self_property, this);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts
    SetEvent(ready_);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

LRESULT CALLBACK window_thread::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = static_cast<window_thread*>(GetPropW(window, self_property));
    if (self) {
        std::lock_guard<std::mutex> hold(self->lock_);
        self->messages_.push_back(message);
    }
    if (message == flush_message) {
        SetEvent(reinterpret_cast<HANDLE>(wparam));
        return 0;
    }
    if (message == hold_message && self) {
        SetEvent(self->held_);
        WaitForSingleObject(self->released_, 10000);
        return 0;
    }
    if (message == destroy_message) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_NCDESTROY) RemovePropW(window, self_property);
    return DefWindowProcW(window, message, wparam, lparam);
}

void window_thread::flush()
{
    ASSERT_TRUE(PostMessageW(window_, flush_message, reinterpret_cast<WPARAM>(flushed_), 0));
    ASSERT_EQ(WaitForSingleObject(flushed_, 10000), WAIT_OBJECT_0) << "the window's thread did not answer";
}

void window_thread::destroy()
{
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(window_, destroy_message, 0, 0, SMTO_NORMAL, 10000, &result), 0);
    ASSERT_FALSE(IsWindow(window_));
}

void window_thread::hold()
{
    ASSERT_TRUE(PostMessageW(window_, hold_message, 0, 0));
    ASSERT_EQ(WaitForSingleObject(held_, 10000), WAIT_OBJECT_0);
}

void window_thread::release() { SetEvent(released_); }

std::vector<UINT> window_thread::messages()
{
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
}

void window_thread::clear_messages()
{
    std::lock_guard<std::mutex> hold(lock_);
    messages_.clear();
}

bridge::bridge() : env(vm.env())
{
    vm.define_class("java/awt/Component");
    vm.define_class("com/morvalent/signature/WintabHelper").add_field("handle", "J");
    vm.define_class("test/Listener")
        .add_method("onAction", "(ZFFF)V", [this](JNIEnv* call_env, jobject self, const jvalue* args) {
            std::function<void(JNIEnv*)> hook;
            {
                std::lock_guard<std::mutex> hold(lock_);
                hook = hook_;
            }
            if (hook) hook(call_env);
            std::lock_guard<std::mutex> hold(lock_);
            calls_.push_back(listener_call{vm.deref(self), args[0].z == JNI_TRUE, args[1].f, args[2].f, args[3].f,
                                           GetCurrentThreadId()});
            return fakejvm::jv_void();
        });
    vm.define_class("test/NotAListener");

    using test_support::jni_export;
    ctr = jni_export<object_native>("_Java_com_morvalent_signature_WintabHelper_ctr@12");
    finalize = jni_export<void_native>("_Java_com_morvalent_signature_WintabHelper_finalize@8");
    add_listener = jni_export<object_native>("_Java_com_morvalent_signature_WintabHelper_addActionListener@12");
    remove_listener = jni_export<object_native>("_Java_com_morvalent_signature_WintabHelper_removeActionListener@12");
    enable = jni_export<bool_native>("_Java_com_morvalent_signature_WintabHelper_enable@8");
    disable = jni_export<void_native>("_Java_com_morvalent_signature_WintabHelper_disable@8");
    is_enabled = jni_export<bool_native>("_Java_com_morvalent_signature_WintabHelper_isEnabled@8");
}

bridge::~bridge()
{
    EXPECT_TRUE(vm.violations().empty());
}

std::string bridge::construct(jobject helper, HWND window, int failing_step)
{
    std::string log;
    {
        test_support::loaded_module jawt(test_support::program_folder() + L"jawt.dll");
        auto set = reinterpret_cast<jawt_double::set_fn>(reinterpret_cast<void*>(jawt.symbol("jawt_double_set")));
        auto take = reinterpret_cast<jawt_double::take_log_fn>(
            reinterpret_cast<void*>(jawt.symbol("jawt_double_take_log")));
        if (!set || !take) return "<no jawt double>";
        set(window, failing_step);
        ctr(env, helper, new_component());
        char text[512];
        take(text, sizeof(text));
        log = text;
    }
    EXPECT_EQ(GetModuleHandleW(L"jawt.dll"), nullptr) << "ctr left jawt.dll loaded";
    return log;
}

std::string bridge::take_exception()
{
    const std::string message = test_support::narrow(vm.pending_message());
    if (vm.exception_pending() && vm.pending_class() != "java/lang/Exception")
        ADD_FAILURE() << "exception of class " << vm.pending_class();
    vm.clear_exception();
    return message;
}

void bridge::expect_natives_refuse(jobject helper, jobject listener)
{
    const std::function<void()> natives[] = {
        [&] { add_listener(env, helper, listener); },
        [&] { remove_listener(env, helper, listener); },
        [&] { EXPECT_FALSE(enable(env, helper)); },
        [&] { disable(env, helper); },
        [&] { EXPECT_FALSE(is_enabled(env, helper)); },
    };
    for (const auto& call : natives) {
        call();
        EXPECT_EQ(take_exception(), "'handle' null");
    }
}

std::vector<listener_call> bridge::calls()
{
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
}

void bridge::clear_calls()
{
    std::lock_guard<std::mutex> hold(lock_);
    calls_.clear();
}

void bridge::on_action(std::function<void(JNIEnv*)> hook)
{
    std::lock_guard<std::mutex> hold(lock_);
    hook_ = std::move(hook);
}

template <class F>
F driver_export(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

driver::driver(const std::wstring& file_name) : path(driver_path(file_name))
{
    module = GetModuleHandleW(path.c_str());
    EXPECT_NE(module, nullptr) << "the driver is not loaded";
    configure = driver_export<wintab_double::configure_fn>(module, "double_configure");
    queue = driver_export<wintab_double::queue_fn>(module, "double_queue");
    queued = driver_export<wintab_double::queued_fn>(module, "double_queued");
    call_count = driver_export<wintab_double::call_count_fn>(module, "double_call_count");
    call_at = driver_export<wintab_double::call_at_fn>(module, "double_call_at");
}

std::vector<wintab_double::call> driver::calls() const
{
    std::vector<wintab_double::call> out;
    if (!call_count) return out;
    const int n = call_count();
    for (int i = 0; i < n; ++i) {
        wintab_double::call c{};
        call_at(i, &c);
        out.push_back(c);
    }
    return out;
}

bool driver::loaded() const { return GetModuleHandleW(path.c_str()) != nullptr; }

std::wstring driver_path(const std::wstring& file_name) { return test_support::program_folder() + file_name; }

void use_driver(const std::wstring& file_name)
{
    test_support::set_registry_string(HKEY_LOCAL_MACHINE, driver_key, L"wtLibrary", driver_path(file_name));
}

void set_driver_value(const void* data, DWORD size)
{
    test_support::set_registry_value(HKEY_LOCAL_MACHINE, driver_key, L"wtLibrary", REG_SZ, data, size);
}

void remove_driver_setting() { test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, driver_key); }

static int counter(const wchar_t* variable)
{
    wchar_t text[16] = L"0";
    GetEnvironmentVariableW(variable, text, 16);
    return _wtoi(text);
}

int driver_loads() { return counter(wintab_double::loads_variable); }
int driver_closes() { return counter(wintab_double::closes_variable); }

LOGCONTEXTW example_context()
{
    LOGCONTEXTW c{};
    lstrcpyW(c.lcName, L"default");
    c.lcOptions = 0x0001 | 0x0010; // some option bits the bridge must keep
    c.lcStatus = 3;
    c.lcLocks = 5;
    c.lcMsgBase = 0x1234;
    c.lcDevice = 2;
    c.lcPktRate = 200;
    c.lcPktData = 0x0F;
    c.lcPktMode = 0x40;
    c.lcMoveMask = 0x10;
    c.lcBtnDnMask = 1;
    c.lcBtnUpMask = 1;
    c.lcInOrgX = 0;
    c.lcInOrgY = 0;
    c.lcInOrgZ = 7;
    c.lcInExtX = 800;
    c.lcInExtY = 600;
    c.lcInExtZ = 9;
    c.lcOutOrgX = 11;
    c.lcOutOrgY = 12;
    c.lcOutOrgZ = 13;
    c.lcOutExtX = 14;
    c.lcOutExtY = 15;
    c.lcOutExtZ = 16;
    c.lcSensX = 0x10000;
    c.lcSensY = 0x10000;
    c.lcSensZ = 0x10000;
    c.lcSysMode = FALSE;
    c.lcSysOrgX = 0;
    c.lcSysOrgY = 0;
    c.lcSysExtX = 400;
    c.lcSysExtY = 300;
    c.lcSysSensX = 0x10000;
    c.lcSysSensY = 0x10000;
    return c;
}

PACKET packet(LONG x, LONG y, UINT pressure, DWORD buttons)
{
    PACKET p{};
    p.pkX = x;
    p.pkY = y;
    p.pkNormalPressure = pressure;
    p.pkButtons = buttons;
    return p;
}

bool wait_for(const std::function<bool()>& condition, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(2);
    }
    return true;
}

} // namespace tablet_test

namespace tablet_test {

TabletTest::TabletTest() { use_driver(L"wintab32.dll"); }

TabletTest::~TabletTest()
{
    for (jobject helper : opened_)
        if (b.handle_of(helper) != 0) b.finalize(b.env, helper);
    remove_driver_setting();
}

jobject TabletTest::open_helper(window_thread& window, jobject& listener, const LOGCONTEXTW& context, LONG axis_min,
                                LONG axis_max)
{
    jobject helper = b.new_helper();
    opened_.push_back(helper);
    EXPECT_EQ(b.construct(helper, window.hwnd()).substr(0, 6), "GetAWT");
    EXPECT_EQ(b.take_exception(), "");
    driver d(L"wintab32.dll");
    if (d.configure) d.configure(&context, 1, axis_min, axis_max);
    listener = b.new_listener();
    b.add_listener(b.env, helper, listener);
    window.flush();
    EXPECT_TRUE(b.enable(b.env, helper));
    return helper;
}

void TabletTest::deliver(window_thread& window, const std::vector<PACKET>& packets)
{
    driver d(L"wintab32.dll");
    ASSERT_NE(d.queue, nullptr);
    d.queue(packets.data(), static_cast<int>(packets.size()));
    window.flush();
}

} // namespace tablet_test
