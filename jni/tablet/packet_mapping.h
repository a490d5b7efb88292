#pragma once

#include <windows.h>

#include "wintab_api.h"

namespace morvalent::jni {

// Tablet-to-screen scale of the context, worked out once per fetched batch.
struct packet_scale {
    float sx;
    float sy;
};
packet_scale batch_scale(const wintab::LOGCONTEXTW& context) noexcept;

// What onAction receives for one packet.
struct mapped_packet {
    bool down;
    float x;
    float y;
    float pressure;
};

// Maps a packet from tablet to screen to client coordinates (`client` is the
// client rectangle in screen coordinates). False when the packet lies outside
// the client rectangle (left and top inclusive, right and bottom exclusive).
// Pressure is scaled to the axis and kept within 0 to 1; an empty or inverted
// axis gives 0.
bool map_packet(const wintab::LOGCONTEXTW& context, const wintab::AXIS& axis, packet_scale scale, const RECT& client,
                const wintab::PACKET& packet, mapped_packet& out) noexcept;

} // namespace morvalent::jni
