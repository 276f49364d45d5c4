#pragma once

// Owned xcb objects: connections, replies and errors.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace vantile::test {

struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};

struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// A reply or error as xcb hands it over, freed with free().
template <class T> using XcbReply = std::unique_ptr<T, XcbFree>;
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

// Connects to the display; throws HarnessError when the connection fails.
XcbConnection connectToDisplay(const std::string& display);

// Sends a request whose reply is waited for, and so learns of errors and delivers everything
// sent before: after it returns, the server has carried out all earlier requests.
void roundTrip(xcb_connection_t* connection);

} // namespace vantile::test
