#include "wintab_context.h"

namespace morvalent::jni {

bool open_context(wintab_obj_data& record) noexcept
{
    using namespace wintab;
    if (record.context.load()) return true;
    const wintab_lib_data& lib = record.lib;
    if (!lib.WTInfoW) return false;

    UINT devices = 0;
    lib.WTInfoW(WTI_INTERFACE, IFC_NDEVICES, &devices);
    if (devices == 0) return false;

    LOGCONTEXTW& context = record.context_description;
    context = LOGCONTEXTW{};
    lib.WTInfoW(WTI_DEFSYSCTX, 0, &context);
    record.pressure_axis = AXIS{};
    lib.WTInfoW(WTI_DEVICES + context.lcDevice, DVC_NPRESSURE, &record.pressure_axis);

    context.lcOptions |= CXO_MESSAGES;
    context.lcMsgBase = WT_DEFBASE;
    context.lcPktData = packet_data;
    context.lcPktMode = 0; // every field absolute
    context.lcMoveMask = 0xFFFFFFFF;
    context.lcBtnDnMask = 0xFFFFFFFF;
    context.lcBtnUpMask = 0xFFFFFFFF;
    // Output in raw tablet units; packets are mapped to the screen here.
    context.lcOutOrgX = context.lcInOrgX;
    context.lcOutOrgY = context.lcInOrgY;
    context.lcOutOrgZ = context.lcInOrgZ;
    context.lcOutExtX = context.lcInExtX;
    context.lcOutExtY = context.lcInExtY;
    context.lcOutExtZ = context.lcInExtZ;

    wintab::HCTX opened = lib.WTOpenW(record.window, &context, TRUE);
    record.context.store(opened);
    return opened != nullptr;
}

void close_context(wintab_obj_data& record) noexcept
{
    if (wintab::HCTX context = record.context.exchange(nullptr)) record.lib.WTClose(context);
}

} // namespace morvalent::jni
