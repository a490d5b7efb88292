#pragma once

// The Wintab driver interface as this library uses it: the wide-character
// entry points, the context description, the axis description and the packet
// that our context settings produce. No driver headers exist on the build
// machine; these follow the published interface.

#include <windows.h>

namespace morvalent::jni::wintab {

DECLARE_HANDLE(HCTX);

struct LOGCONTEXTW {
    WCHAR lcName[40];
    UINT lcOptions;
    UINT lcStatus;
    UINT lcLocks;
    UINT lcMsgBase;
    UINT lcDevice;
    UINT lcPktRate;
    DWORD lcPktData;
    DWORD lcPktMode;
    DWORD lcMoveMask;
    DWORD lcBtnDnMask;
    DWORD lcBtnUpMask;
    LONG lcInOrgX;
    LONG lcInOrgY;
    LONG lcInOrgZ;
    LONG lcInExtX;
    LONG lcInExtY;
    LONG lcInExtZ;
    LONG lcOutOrgX;
    LONG lcOutOrgY;
    LONG lcOutOrgZ;
    LONG lcOutExtX;
    LONG lcOutExtY;
    LONG lcOutExtZ;
    DWORD lcSensX; // fixed point 16.16
    DWORD lcSensY;
    DWORD lcSensZ;
    BOOL lcSysMode;
    int lcSysOrgX;
    int lcSysOrgY;
    int lcSysExtX;
    int lcSysExtY;
    DWORD lcSysSensX;
    DWORD lcSysSensY;
};
static_assert(sizeof(LOGCONTEXTW) == 212, "LOGCONTEXTW is 212 bytes");

struct AXIS {
    LONG axMin;
    LONG axMax;
    UINT axUnits;
    DWORD axResolution; // fixed point 16.16
};
static_assert(sizeof(AXIS) == 16, "AXIS is 16 bytes");

// The packet that lcPktData 0x15C4 in absolute mode gives, fields in the
// order of the packet definition.
struct PACKET {
    DWORD pkTime;
    DWORD pkButtons;
    LONG pkX;
    LONG pkY;
    UINT pkNormalPressure;
    int orAzimuth;
    int orAltitude;
    int orTwist;
};
static_assert(sizeof(PACKET) == 32, "packet is 32 bytes");

using WTInfoW_fn = UINT(WINAPI*)(UINT category, UINT index, LPVOID out);
using WTOpenW_fn = HCTX(WINAPI*)(HWND window, LOGCONTEXTW* context, BOOL enable);
using WTClose_fn = BOOL(WINAPI*)(HCTX context);
using WTEnable_fn = BOOL(WINAPI*)(HCTX context, BOOL enable);
using WTPacketsGet_fn = int(WINAPI*)(HCTX context, int max, LPVOID packets);
using WTOverlap_fn = BOOL(WINAPI*)(HCTX context, BOOL to_top);

constexpr UINT WTI_INTERFACE = 1;
constexpr UINT IFC_NDEVICES = 4;
constexpr UINT WTI_DEFSYSCTX = 4;
constexpr UINT WTI_DEVICES = 100;
constexpr UINT DVC_NPRESSURE = 15;

constexpr UINT CXO_MESSAGES = 0x0004;

constexpr DWORD PK_TIME = 0x0004;
constexpr DWORD PK_BUTTONS = 0x0040;
constexpr DWORD PK_X = 0x0080;
constexpr DWORD PK_Y = 0x0100;
constexpr DWORD PK_NORMAL_PRESSURE = 0x0400;
constexpr DWORD PK_ORIENTATION = 0x1000;
constexpr DWORD packet_data = PK_TIME | PK_BUTTONS | PK_X | PK_Y | PK_NORMAL_PRESSURE | PK_ORIENTATION;
static_assert(packet_data == 0x15C4, "packet fields");

constexpr UINT WT_DEFBASE = 0x7FF0;
constexpr UINT WT_PACKET = WT_DEFBASE + 0;

} // namespace morvalent::jni::wintab
