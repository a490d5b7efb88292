// WintabHelper.ctr finding the component's window through the stand-in
// "jawt.dll": every failing step, what is released, and what the object is
// afterwards.

#include "tablet_fixture.h"

using namespace tablet_test;

namespace {

const std::string all_released = "FreeDrawingSurfaceInfo,Unlock,FreeDrawingSurface";

TEST_F(TabletTest, JawtFailuresRaiseTheirMessageAndReleaseWhatWasTaken)
{
    window_thread window(100, 50, 200, 200);
    struct {
        int step;
        const char* message;
        std::string calls;
    } cases[] = {
        {jawt_double::fail_get_awt, "JAWT_GetAWT failed, or unable to load JAWT library", "GetAWT(65540)"},
        {jawt_double::fail_surface, "JAWT.GetDrawingSurface() failed", "GetAWT(65540),GetDrawingSurface"},
        // A failed lock is not undone: the surface is freed without an unlock.
        {jawt_double::fail_lock, "JAWT_DrawingSurface.Lock failed", "GetAWT(65540),GetDrawingSurface,Lock,FreeDrawingSurface"},
        {jawt_double::fail_info, "JAWT_DrawingSurface.GetDrawingSurfaceInfo returned null",
         "GetAWT(65540),GetDrawingSurface,Lock,GetDrawingSurfaceInfo,Unlock,FreeDrawingSurface"},
        {jawt_double::fail_platform, "JAWT_DrawingSurfaceInfo.platformInfo is null",
         "GetAWT(65540),GetDrawingSurface,Lock,GetDrawingSurfaceInfo," + all_released},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const int loads = driver_loads();
        jobject helper = b.new_helper();
        EXPECT_EQ(b.construct(helper, window.hwnd(), c.step), c.calls); // also: jawt.dll unloaded
        EXPECT_EQ(b.take_exception(), c.message);
        EXPECT_EQ(b.handle_of(helper), 0);
        EXPECT_EQ(driver_loads(), loads) << "no driver is loaded for a failed ctr";

        // The object has no record: every native but finalize says so.
        b.expect_natives_refuse(helper, b.new_listener());
        b.finalize(b.env, helper);
        EXPECT_EQ(b.take_exception(), "");
        EXPECT_EQ(b.vm.live_global_refs(), 0);
    }
}

TEST_F(TabletTest, MissingJawtLibrary)
{
    // The message chosen for a library that does not load (or lacks the
    // entry) is the one that covers both.
    jobject helper = b.new_helper();
    SetEnvironmentVariableW(jawt_double::refuse_variable, L"1");
    b.ctr(b.env, helper, b.new_component());
    SetEnvironmentVariableW(jawt_double::refuse_variable, nullptr);
    EXPECT_EQ(b.take_exception(), "JAWT_GetAWT failed, or unable to load JAWT library");
    EXPECT_EQ(b.handle_of(helper), 0);
    EXPECT_EQ(GetModuleHandleW(L"jawt.dll"), nullptr);
}

TEST_F(TabletTest, JawtSuccessReleasesEverythingInOrder)
{
    window_thread window(100, 50, 200, 200);
    jobject helper = b.new_helper();
    EXPECT_EQ(b.construct(helper, window.hwnd()),
              "GetAWT(65540),GetDrawingSurface,Lock,GetDrawingSurfaceInfo," + all_released);
    EXPECT_EQ(b.take_exception(), "");
    EXPECT_NE(b.handle_of(helper), 0);
    window.flush();
    b.finalize(b.env, helper);
    EXPECT_EQ(b.handle_of(helper), 0);
    window.flush();
    EXPECT_EQ(GetModuleHandleW(driver_path(L"wintab32.dll").c_str()), nullptr);
}

TEST_F(TabletTest, CtrWithoutTheHandleFieldRaisesOneException)
{
    // The VM's own NoSuchFieldError reaches Java; no record is left behind.
    window_thread window(100, 50, 200, 200);
    b.vm.define_class("test/NoHandle");
    jobject helper = b.vm.new_object("test/NoHandle");
    b.construct(helper, window.hwnd());
    EXPECT_EQ(b.vm.pending_class(), "java/lang/NoSuchFieldError");
    b.vm.clear_exception();
    window.flush();
    EXPECT_FALSE(GetModuleHandleW(driver_path(L"wintab32.dll").c_str()));
}

} // namespace
