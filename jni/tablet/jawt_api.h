#pragma once

// The AWT native interface of the Java runtime ("jawt.dll"), as far as this
// library uses it: version 1.4 of the interface and the Win32 platform
// information of a drawing surface. Written from the published interface.

#include <windows.h>

#include <jni.h>

namespace morvalent::jni::jawt {

constexpr jint JAWT_VERSION_1_4 = 0x00010004;
constexpr jint JAWT_LOCK_ERROR = 0x00000001;

struct JAWT_Rectangle {
    jint x;
    jint y;
    jint width;
    jint height;
};

struct JAWT_DrawingSurface;

struct JAWT_DrawingSurfaceInfo {
    void* platformInfo;
    JAWT_DrawingSurface* ds;
    JAWT_Rectangle bounds;
    jint clipSize;
    JAWT_Rectangle* clip;
};

struct JAWT_DrawingSurface {
    JNIEnv* env;
    jobject target;
    jint(JNICALL* Lock)(JAWT_DrawingSurface* ds);
    JAWT_DrawingSurfaceInfo*(JNICALL* GetDrawingSurfaceInfo)(JAWT_DrawingSurface* ds);
    void(JNICALL* FreeDrawingSurfaceInfo)(JAWT_DrawingSurfaceInfo* dsi);
    void(JNICALL* Unlock)(JAWT_DrawingSurface* ds);
};

// The members of version 1.4; a runtime fills in what the asked version has.
struct JAWT {
    jint version;
    JAWT_DrawingSurface*(JNICALL* GetDrawingSurface)(JNIEnv* env, jobject target);
    void(JNICALL* FreeDrawingSurface)(JAWT_DrawingSurface* ds);
    void(JNICALL* Lock)(JNIEnv* env);
    void(JNICALL* Unlock)(JNIEnv* env);
    jobject(JNICALL* GetComponent)(JNIEnv* env, void* platformInfo);
};

// Platform information of a drawing surface on Windows.
struct JAWT_Win32DrawingSurfaceInfo {
    union {
        HWND hwnd;
        HBITMAP hbitmap;
        void* pbits;
    };
    HDC hdc;
    HPALETTE hpalette;
};

using JAWT_GetAWT_fn = jboolean(JNICALL*)(JNIEnv* env, JAWT* awt);

// The export that holds JAWT_GetAWT: stdcall-decorated on 32-bit Windows.
#ifdef _WIN64
constexpr char JAWT_GetAWT_export[] = "JAWT_GetAWT";
#else
constexpr char JAWT_GetAWT_export[] = "_JAWT_GetAWT@8";
#endif

} // namespace morvalent::jni::jawt
