#pragma once

#include <windows.h>

#include <jni.h>

#include "../support/com_obj_data.h"
#include "jawt_api.h"
#include "../support/scoped_module.h"

namespace morvalent::jni {

// "jawt.dll", loaded by that plain name for the length of one ctr call, and
// its get-AWT entry. The library is unloaded when the object ends.
class jawt_data : public COM_obj_data {
public:
    jawt_data() noexcept;
    ~jawt_data() override = default;

    jawt::JAWT_GetAWT_fn get_awt() const noexcept { return get_awt_; }

private:
    scoped_module library_;
    jawt::JAWT_GetAWT_fn get_awt_ = nullptr;
};

// The window of an AWT component. On failure a java.lang.Exception is pending,
// `window` is null and nothing is left locked or allocated.
bool get_component_hwnd(JNIEnv* env, const jawt_data& awt_library, jobject component, HWND& window) noexcept;

} // namespace morvalent::jni
