// Stand-in "jawt.dll": hands out a drawing surface for the window the test
// chose, can fail at every step and records the calls in order.

#include "jawt_double.h"

#include <mutex>
#include <string>

#include "tablet/jawt_api.h"

using namespace morvalent::jni::jawt;
using namespace jawt_double;

namespace {

std::mutex lock;
HWND window = nullptr;
int failing = fail_none;
std::string calls;

JAWT_Win32DrawingSurfaceInfo platform{};
JAWT_DrawingSurfaceInfo info{};
JAWT_DrawingSurface surface{};

void record(const std::string& what)
{
    std::lock_guard<std::mutex> hold(lock);
    if (!calls.empty()) calls += ",";
    calls += what;
}

jint JNICALL lock_surface(JAWT_DrawingSurface*)
{
    record("Lock");
    return failing == fail_lock ? JAWT_LOCK_ERROR | 0x2 : 0x2;
}

JAWT_DrawingSurfaceInfo* JNICALL get_info(JAWT_DrawingSurface* ds)
{
    record("GetDrawingSurfaceInfo");
    if (failing == fail_info) return nullptr;
    platform.hwnd = window;
    info.platformInfo = failing == fail_platform ? nullptr : &platform;
    info.ds = ds;
    return &info;
}

void JNICALL free_info(JAWT_DrawingSurfaceInfo*) { record("FreeDrawingSurfaceInfo"); }
void JNICALL unlock_surface(JAWT_DrawingSurface*) { record("Unlock"); }

JAWT_DrawingSurface* JNICALL get_surface(JNIEnv* env, jobject target)
{
    record("GetDrawingSurface");
    if (failing == fail_surface) return nullptr;
    surface.env = env;
    surface.target = target;
    surface.Lock = lock_surface;
    surface.GetDrawingSurfaceInfo = get_info;
    surface.FreeDrawingSurfaceInfo = free_info;
    surface.Unlock = unlock_surface;
    return &surface;
}

void JNICALL free_surface(JAWT_DrawingSurface*) { record("FreeDrawingSurface"); }

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableW(refuse_variable, nullptr, 0) != 0) return FALSE;
    return TRUE;
}

// Exported as "JAWT_GetAWT" on 64-bit Windows; the test tree is 64-bit.
extern "C" __declspec(dllexport) jboolean JNICALL JAWT_GetAWT(JNIEnv*, JAWT* awt)
{
    record("GetAWT(" + std::to_string(awt->version) + ")");
    if (failing == fail_get_awt) return JNI_FALSE;
    awt->GetDrawingSurface = get_surface;
    awt->FreeDrawingSurface = free_surface;
    return JNI_TRUE;
}

extern "C" __declspec(dllexport) void jawt_double_set(HWND target_window, int failing_step)
{
    std::lock_guard<std::mutex> hold(lock);
    window = target_window;
    failing = failing_step;
    calls.clear();
}

extern "C" __declspec(dllexport) void jawt_double_take_log(char* out, int size)
{
    std::lock_guard<std::mutex> hold(lock);
    lstrcpynA(out, calls.c_str(), size);
    calls.clear();
}
