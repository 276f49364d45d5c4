#include "backends/x11/x11_move_resize.h"

#include <array>
#include <cmath>

#include "backends/x11/x11_properties.h"

namespace vantile {
namespace {

// With static gravity the coordinates name the client window's own top-left corner, whatever
// frame the window manager puts around it, which is exactly what the caller computed.
constexpr std::uint32_t kStaticGravity = 10;
constexpr std::uint32_t kNorthWestGravity = 1;

// x, y, width and height all set.
constexpr std::uint32_t kAllFields = 0xF;

void sendMoveResize(X11Connection& connection, xcb_window_t window, const ClientRect& rect,
                    Reference reference) {
    const std::uint32_t gravity =
        reference == Reference::frameCorner ? kNorthWestGravity : kStaticGravity;
    const std::uint32_t flags = gravity | (kAllFields << 8) | (kSourcePager << 12);
    sendToWindowManager(connection, window, connection.atom("_NET_MOVERESIZE_WINDOW"),
                        {flags, static_cast<std::uint32_t>(rect.x),
                         static_cast<std::uint32_t>(rect.y), static_cast<std::uint32_t>(rect.width),
                         static_cast<std::uint32_t>(rect.height)});
}

void sendConfigure(X11Connection& connection, xcb_window_t window, const ClientRect& rect) {
    const std::uint16_t mask = XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                               XCB_CONFIG_WINDOW_HEIGHT;
    const std::uint32_t values[] = {
        static_cast<std::uint32_t>(rect.x), static_cast<std::uint32_t>(rect.y),
        static_cast<std::uint32_t>(rect.width), static_cast<std::uint32_t>(rect.height)};
    xcb_configure_window(connection.raw(), window, mask, values);
}

} // namespace

ClientRect configureRequestRect(const ClientRect& client, const Extents& frame) {
    ClientRect request = client;
    request.x -= static_cast<std::int32_t>(std::lround(frame.left));
    request.y -= static_cast<std::int32_t>(std::lround(frame.top));
    return request;
}

void requestClientRect(X11Connection& connection, xcb_window_t window, const ClientRect& rect,
                       Reference reference, bool useMoveResizeMessage) {
    if (useMoveResizeMessage) {
        sendMoveResize(connection, window, rect, reference);
    } else {
        sendConfigure(connection, window, rect);
    }
    connection.flush();
}

} // namespace vantile
