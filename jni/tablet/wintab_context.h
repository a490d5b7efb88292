#pragma once

#include "wintab_obj_data.h"

namespace morvalent::jni {

// Window's thread only. Opens the record's context on its window as a context
// that posts messages and reports raw tablet coordinates; true when a context
// is open afterwards. A failure leaves no context and reports nothing.
bool open_context(wintab_obj_data& record) noexcept;

// Window's thread only. Clears the record's context, then closes it.
void close_context(wintab_obj_data& record) noexcept;

} // namespace morvalent::jni
