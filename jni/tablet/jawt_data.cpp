#include "jawt_data.h"

#include "../support/jni_support.h"

namespace morvalent::jni {

jawt_data::jawt_data() noexcept : library_(LoadLibraryW(L"jawt.dll"))
{
    get_awt_ = library_.entry<jawt::JAWT_GetAWT_fn>(jawt::JAWT_GetAWT_export);
}

bool get_component_hwnd(JNIEnv* env, const jawt_data& awt_library, jobject component, HWND& window) noexcept
{
    using namespace jawt;
    window = nullptr;
    JAWT awt{};
    awt.version = JAWT_VERSION_1_4;

    // A library that did not load and one without the entry end here alike;
    // the message covers both.
    if (!awt_library.get_awt() || !awt_library.get_awt()(env, &awt)) {
        throw_exception(env, L"JAWT_GetAWT failed, or unable to load JAWT library");
        return false;
    }
    JAWT_DrawingSurface* surface = awt.GetDrawingSurface(env, component);
    if (!surface) {
        throw_exception(env, L"JAWT.GetDrawingSurface() failed");
        return false;
    }
    if (surface->Lock(surface) & JAWT_LOCK_ERROR) {
        throw_exception(env, L"JAWT_DrawingSurface.Lock failed");
        awt.FreeDrawingSurface(surface);
        return false;
    }
    JAWT_DrawingSurfaceInfo* info = surface->GetDrawingSurfaceInfo(surface);
    if (!info) {
        throw_exception(env, L"JAWT_DrawingSurface.GetDrawingSurfaceInfo returned null");
        surface->Unlock(surface);
        awt.FreeDrawingSurface(surface);
        return false;
    }
    const auto* platform = static_cast<const JAWT_Win32DrawingSurfaceInfo*>(info->platformInfo);
    if (!platform) {
        throw_exception(env, L"JAWT_DrawingSurfaceInfo.platformInfo is null");
        surface->FreeDrawingSurfaceInfo(info);
        surface->Unlock(surface);
        awt.FreeDrawingSurface(surface);
        return false;
    }
    window = platform->hwnd;
    surface->FreeDrawingSurfaceInfo(info);
    surface->Unlock(surface);
    awt.FreeDrawingSurface(surface);
    return true;
}

} // namespace morvalent::jni
