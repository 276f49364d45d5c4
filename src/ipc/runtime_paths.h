#pragma once

#include <optional>
#include <string>

namespace vantile {

// Where the one instance per X display listens: "$XDG_RUNTIME_DIR/vantile/<display>.sock", or a
// private folder under /tmp when the session has no runtime folder.
struct RuntimePaths {
    std::string directory;
    std::string socket;
    std::string lock;
};

// "localhost:10.0" -> "localhost_10", ":1" and ":1.0" -> "1": one name per display, whatever the
// screen number, and safe as a file name. None for an empty or unusable display name.
std::optional<std::string> displayKey(const std::string& display);

// "wayland-0" -> "wayland_wayland-0": one name per Wayland display, safe as a file name.
std::optional<std::string> waylandDisplayKey(const std::string& display);

RuntimePaths runtimePaths(const std::string& runtimeDir, const std::string& displayKey);

// The paths for this process's environment ($WAYLAND_DISPLAY or $DISPLAY, $XDG_RUNTIME_DIR);
// none without a display.
std::optional<RuntimePaths> runtimePathsFromEnvironment(std::string* error);

// Explains what stands at the socket's path when it is something no instance could listen at;
// none when the path is free or holds a socket.
std::optional<std::string> foreignFileAtSocket(const std::string& path);

// Creates the folder with mode 0700 if needed and checks that it is a real folder owned by this
// user and closed to everyone else. Returns an explanation when it is not usable.
std::optional<std::string> ensurePrivateDirectory(const std::string& path);

} // namespace vantile
