#pragma once

// Window managers that act on their own when a dragged window reaches the screen's edge (Openbox
// and Fluxbox switch desktops and carry the window along; xfwm4, marco, mutter and KWin tile it
// themselves), as far as their settings can be read.
// The user's settings are theirs: the program only says, once at start, what competes with
// drag-to-snap.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantile {

struct ConfigFolders {
    std::string home;       // $HOME
    std::string configHome; // $XDG_CONFIG_HOME, or ~/.config
    // The whole file, or none when it cannot be read.
    std::function<std::optional<std::string>(const std::string& path)> read;
    // A desktop setting as `gsettings get SCHEMA KEY` prints it, or none when it cannot be read.
    std::function<std::optional<std::string>(const std::string& schema, const std::string& key)>
        setting;
};

// One sentence for each behaviour found, for the window manager that names itself so.
std::vector<std::string> competingEdgeBehaviours(std::string_view windowManagerName,
                                                 const ConfigFolders& folders);

} // namespace vantile
