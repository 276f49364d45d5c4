#include "support/xcb_handles.h"

#include "support/harness_error.h"

namespace vantile::test {

XcbConnection connectToDisplay(const std::string& display) {
    XcbConnection connection(xcb_connect(display.c_str(), nullptr));
    if (const int error = xcb_connection_has_error(connection.get()); error != 0) {
        throw HarnessError("cannot connect to the X display " + display + " (xcb error " +
                           std::to_string(error) + ")");
    }
    return connection;
}

void roundTrip(xcb_connection_t* connection) {
    XcbReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace vantile::test
