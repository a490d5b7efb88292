// Binding the Wintab driver in ctr: which library is loaded, when it is kept,
// and the process-wide processor pinning of drivers that ask for it.

#include <atomic>
#include <cstdio>
#include <thread>

#include "tablet/wintab_lib.h"
#include "tablet_fixture.h"

using namespace tablet_test;

namespace {

TEST_F(TabletTest, DriverBinding)
{
    window_thread window(100, 50, 200, 200);
    enum setting { full_path, no_setting, empty_value };
    struct {
        const char* name;
        setting how;
        const wchar_t* file;
        int loads;   // loads of a stand-in driver during ctr
        bool bound;  // kept loaded, context opens
    } cases[] = {
        {"registry names the driver", full_path, L"wintab32.dll", 1, true},
        {"no setting: the default name", no_setting, L"wintab32.dll", 1, true},
        {"value without data loads nothing", empty_value, L"wintab32.dll", 0, false},
        {"no WTInfoW: no driver", full_path, L"wintab_noinfo.dll", 1, false},
        {"probe returns 0", full_path, L"wintab_probe0.dll", 1, false},
        {"no WTPacketsGet", full_path, L"wintab_nopackets.dll", 1, false},
        {"no WTOverlap is still a driver", full_path, L"wintab_nooverlap.dll", 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        remove_driver_setting();
        if (c.how == full_path) use_driver(c.file);
        if (c.how == empty_value) set_driver_value(nullptr, 0);
        const std::wstring path = driver_path(c.file);

        const int loads = driver_loads();
        jobject helper = b.new_helper();
        b.construct(helper, window.hwnd());
        EXPECT_EQ(b.take_exception(), "");
        EXPECT_NE(b.handle_of(helper), 0) << "the object lives either way";
        EXPECT_EQ(driver_loads() - loads, c.loads);
        EXPECT_EQ(GetModuleHandleW(path.c_str()) != nullptr, c.bound);

        jobject listener = b.new_listener();
        b.add_listener(b.env, helper, listener);
        window.flush();
        EXPECT_EQ(b.enable(b.env, helper) == JNI_TRUE, c.bound);
        EXPECT_EQ(b.take_exception(), "");

        b.finalize(b.env, helper);
        window.flush();
        EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "driver left loaded";
        EXPECT_EQ(b.vm.live_global_refs(), 0);
    }
}

DWORD_PTR process_mask()
{
    DWORD_PTR process = 0, system = 0;
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) << GetLastError();
    return process;
}

TEST_F(TabletTest, PinningIsCountedAcrossObjects)
{
    const DWORD_PTR original = process_mask();
    std::printf("process affinity mask under this Wine: %#llx\n", static_cast<unsigned long long>(original));
    if ((original & (original - 1)) == 0) GTEST_SKIP() << "one processor only: pinning cannot be seen";
    DWORD_PTR highest = 0;
    for (DWORD_PTR bit = 1; bit && bit <= original; bit <<= 1)
        if (original & bit) highest = bit;

    use_driver(L"wintab_pin.dll");
    // Both objects over one window: each keeps its own subclass and record.
    window_thread window(100, 50, 200, 200);
    for (bool first_goes_first : {true, false}) {
        SCOPED_TRACE(first_goes_first ? "finalised in creation order" : "finalised in reverse order");
        jobject first = b.new_helper();
        b.construct(first, window.hwnd());
        EXPECT_EQ(process_mask(), highest);
        jobject second = b.new_helper();
        b.construct(second, window.hwnd());
        EXPECT_EQ(process_mask(), highest);
        window.flush();

        b.finalize(b.env, first_goes_first ? first : second);
        window.flush();
        EXPECT_EQ(process_mask(), highest) << "one pinning binding still lives";
        b.finalize(b.env, first_goes_first ? second : first);
        window.flush();
        EXPECT_EQ(process_mask(), original) << "the last one restores the mask";
    }

    // A driver without the export never touches the mask.
    use_driver(L"wintab32.dll");
    jobject plain = b.new_helper();
    b.construct(plain, window.hwnd());
    EXPECT_EQ(process_mask(), original);
    b.finalize(b.env, plain);
    window.flush();
    EXPECT_EQ(process_mask(), original);
}

TEST(PinningCount, ConcurrentPinsAndReleases)
{
    // The count itself (the library's code linked into this program), as
    // ctr and finalize use it on different threads at once.
    const DWORD_PTR original = process_mask();
    if ((original & (original - 1)) == 0) {
        GTEST_SKIP() << "one processor only: pinning cannot be seen";
    }
    DWORD_PTR highest = 0;
    for (DWORD_PTR bit = 1; bit && bit <= original; bit <<= 1)
        if (original & bit) highest = bit;

    for (bool one_held_throughout : {true, false}) {
        SCOPED_TRACE(one_held_throughout ? "one pin held throughout" : "count goes through 0 again and again");
        if (one_held_throughout) {
            EXPECT_EQ(morvalent::jni::pin_to_one_processor(), original);
        }
        std::atomic<int> wrong_saved{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 100; ++i) {
                    const DWORD_PTR saved = morvalent::jni::pin_to_one_processor();
                    if (saved != original) ++wrong_saved;
                    if (saved) morvalent::jni::unpin_processor();
                }
            });
        for (auto& t : threads) t.join();
        EXPECT_EQ(wrong_saved.load(), 0) << "every pin saves the mask from before the first";
        if (one_held_throughout) {
            EXPECT_EQ(process_mask(), highest);
            morvalent::jni::unpin_processor();
        }
        EXPECT_EQ(process_mask(), original);
    }
}

} // namespace
