#pragma once

// The test's own view of an X server, independent of the program's X11 code: owned xcb objects,
// atoms and properties, and readable rects in failure messages.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"
#include "support/harness_error.h"
#include "support/rect_printing.h"

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

// Throws HarnessError when the connection fails.
XcbConnection connectToDisplay(const std::string& display);

// After it returns, the server has carried out every request sent before.
void roundTrip(xcb_connection_t* connection);

// Interns atoms by name.
class Atoms {
  public:
    explicit Atoms(xcb_connection_t* connection) : connection_(connection) {}
    xcb_atom_t operator()(std::string_view name);

  private:
    xcb_connection_t* connection_;
};

// The 32-bit items of a property; none when the window or property is missing or of another
// format.
std::optional<std::vector<std::uint32_t>> readProperty32(xcb_connection_t* connection,
                                                         xcb_window_t window, xcb_atom_t property);
void writeProperty32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, const std::vector<std::uint32_t>& items);

} // namespace vantile::test
