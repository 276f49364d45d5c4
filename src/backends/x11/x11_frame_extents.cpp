#include "backends/x11/x11_frame_extents.h"

#include <algorithm>
#include <cmath>

namespace vantile {
namespace {

std::int32_t whole(double value) {
    return static_cast<std::int32_t>(std::lround(value));
}

} // namespace

Extents extentsFrom(std::span<const std::uint32_t> values) {
    if (values.size() < 4) {
        return {};
    }
    return {double(values[0]), double(values[1]), double(values[2]), double(values[3])};
}

Rect visibleFrame(const Rect& client, const Extents& frame, const Extents& shadow) {
    return {client.x - frame.left + shadow.left, client.y - frame.top + shadow.top,
            client.width + frame.left + frame.right - shadow.left - shadow.right,
            client.height + frame.top + frame.bottom - shadow.top - shadow.bottom};
}

ClientRect clientRectFor(const Rect& visible, const Extents& frame, const Extents& shadow) {
    return {
        whole(visible.x + frame.left - shadow.left), whole(visible.y + frame.top - shadow.top),
        std::max(1, whole(visible.width - frame.left - frame.right + shadow.left + shadow.right)),
        std::max(1, whole(visible.height - frame.top - frame.bottom + shadow.top + shadow.bottom))};
}

} // namespace vantile
