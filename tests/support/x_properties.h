#pragma once

// Atoms and window properties, read and written over a test's own xcb connection (independently
// of the program's X11 code).

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantile::test {

// Interns atoms once per connection.
class Atoms {
  public:
    explicit Atoms(xcb_connection_t* connection) : connection_(connection) {}
    xcb_atom_t operator()(std::string_view name);
    std::string nameOf(xcb_atom_t atom) const;

  private:
    xcb_connection_t* connection_;
    std::map<std::string, xcb_atom_t, std::less<>> cache_;
};

// The 32-bit items of a property, or none when the window or the property is missing, or the
// property has another format.
std::optional<std::vector<std::uint32_t>> readProperty32(xcb_connection_t* connection,
                                                         xcb_window_t window, xcb_atom_t property);

// The first item of a 32-bit property, if there is one.
std::optional<std::uint32_t> readFirst32(xcb_connection_t* connection, xcb_window_t window,
                                         xcb_atom_t property);

void writeProperty32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, const std::vector<std::uint32_t>& items);
void writePropertyBytes(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                        xcb_atom_t type, std::string_view bytes);

// Sends a 32-bit client message about the window to the root, where window managers receive
// requests (substructure redirect and notify).
void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                xcb_atom_t type, const std::vector<std::uint32_t>& data);

} // namespace vantile::test
