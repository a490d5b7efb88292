#include "packet_mapping.h"

#include <cstdint>

namespace morvalent::jni {

namespace {

// 32-bit wrap-around arithmetic, as the driver's LONG values have it.
LONG wrap(int64_t value) noexcept { return static_cast<LONG>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

// Truncation toward zero; false for values no LONG can hold (and NaN).
bool truncate(float value, LONG& out) noexcept
{
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return false;
    out = static_cast<LONG>(value);
    return true;
}

} // namespace

packet_scale batch_scale(const wintab::LOGCONTEXTW& context) noexcept
{
    return packet_scale{static_cast<float>(static_cast<double>(context.lcSysExtX) / context.lcOutExtX),
                        static_cast<float>(static_cast<double>(context.lcSysExtY) / context.lcOutExtY)};
}

bool map_packet(const wintab::LOGCONTEXTW& context, const wintab::AXIS& axis, packet_scale scale, const RECT& client,
                const wintab::PACKET& packet, mapped_packet& out) noexcept
{
    // The tablet's y axis points up, the screen's down.
    const LONG dx = wrap(static_cast<int64_t>(packet.pkX) - context.lcOutOrgX);
    const LONG dy = wrap(static_cast<int64_t>(context.lcOutOrgY) - packet.pkY + context.lcOutExtY);
    const float xs = static_cast<float>(static_cast<double>(dx) * scale.sx + context.lcSysOrgX);
    const float ys = static_cast<float>(static_cast<double>(dy) * scale.sy + context.lcSysOrgY);

    POINT hit;
    if (!truncate(xs, hit.x) || !truncate(ys, hit.y) || !PtInRect(&client, hit)) return false;

    out.x = static_cast<float>(static_cast<double>(xs) - client.left);
    out.y = static_cast<float>(static_cast<double>(ys) - client.top);

    const int64_t range = static_cast<int64_t>(axis.axMax) - axis.axMin;
    const int64_t above_min = static_cast<int64_t>(packet.pkNormalPressure) - axis.axMin;
    if (range <= 0 || above_min <= 0)
        out.pressure = 0.0f;
    else if (above_min >= range)
        out.pressure = 1.0f;
    else
        out.pressure = static_cast<float>(static_cast<double>(above_min) / static_cast<double>(range));

    out.down = (packet.pkButtons & 1) != 0;
    return true;
}

} // namespace morvalent::jni
