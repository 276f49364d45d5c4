#include "app/edge_behaviours.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace vantile {
namespace {

constexpr const char* kCarried = "; a drag that it carries to another desktop is not snapped";

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The first of the files that can be read, with its path.
std::optional<std::pair<std::string, std::string>> firstReadable(const ConfigFolders& folders,
                                                                 std::vector<std::string> paths) {
    for (const std::string& path : paths) {
        if (auto text = folders.read(path)) {
            return std::pair(path, std::move(*text));
        }
    }
    return std::nullopt;
}

std::optional<std::string> openbox(const ConfigFolders& folders) {
    const auto file = firstReadable(folders, {folders.configHome + "/openbox/rc.xml",
                                              folders.configHome + "/openbox/lxde-rc.xml",
                                              folders.configHome + "/openbox/lxqt-rc.xml",
                                              "/etc/xdg/openbox/rc.xml"});
    if (!file) {
        return std::nullopt;
    }
    static const std::regex warpTime(R"(<screenEdgeWarpTime>\s*(\d{1,9})\s*</screenEdgeWarpTime>)");
    std::smatch match;
    if (!std::regex_search(file->second, match, warpTime) || std::stol(match[1]) <= 0) {
        return std::nullopt;
    }
    return "Openbox switches desktops when a dragged window stays at the screen's left or right "
           "edge (screenEdgeWarpTime " +
           match[1].str() + " in " + file->first + ")" + kCarried;
}

// Workspace warping is on unless the init file turns it off.
std::optional<std::string> fluxbox(const ConfigFolders& folders) {
    const std::string path = folders.home + "/.fluxbox/init";
    const std::string init = lowered(folders.read(path).value_or(""));
    static const std::regex warping(R"(session\.screen\d+\.workspacewarping:\s*(\w+))");
    std::smatch match;
    if (std::regex_search(init, match, warping) && match[1] != "true") {
        return std::nullopt;
    }
    return "Fluxbox switches workspaces when a dragged window reaches the screen's left or right "
           "edge (session.screen0.workspacewarping in " +
           path + ")" + kCarried;
}

constexpr const char* kTiles =
    " tiles a window dragged to the screen's edge itself, beside drag-to-snap (";

// xfwm4 keeps its settings in xfconf, whose per-user file overrides the system one; tiling is on
// unless a file turns it off.
std::optional<std::string> xfwm4(const ConfigFolders& folders) {
    const std::string channel = "/xfce4/xfconf/xfce-perchannel-xml/xfwm4.xml";
    const auto file = firstReadable(folders, {folders.configHome + channel, "/etc/xdg" + channel});
    static const std::regex off(R"(name="tile_on_move"[^>]*value="false")");
    if (file && std::regex_search(file->second, off)) {
        return std::nullopt;
    }
    return std::string("xfwm4") + kTiles + "tile_on_move in xfwm4's settings)";
}

// KWin's edge tiling and maximizing are on unless kwinrc turns both off.
std::optional<std::string> kwin(const ConfigFolders& folders) {
    const std::string path = folders.configHome + "/kwinrc";
    const std::string rc = lowered(folders.read(path).value_or(""));
    static const std::regex tilingOff(R"(electricbordertiling\s*=\s*false)");
    static const std::regex maximizeOff(R"(electricbordermaximize\s*=\s*false)");
    if (std::regex_search(rc, tilingOff) && std::regex_search(rc, maximizeOff)) {
        return std::nullopt;
    }
    return std::string("KWin") + kTiles + "ElectricBorderTiling and ElectricBorderMaximize in " +
           path + ")";
}

// marco and mutter read dconf; their tiling is on unless the setting says false.
std::optional<std::string> gsettingsTiling(const ConfigFolders& folders, const std::string& name,
                                           const std::string& schema, const std::string& key) {
    const auto value = folders.setting ? folders.setting(schema, key) : std::nullopt;
    if (value && value->starts_with("false")) {
        return std::nullopt;
    }
    return name + kTiles + schema + " " + key + ")";
}

} // namespace

std::vector<std::string> competingEdgeBehaviours(std::string_view windowManagerName,
                                                 const ConfigFolders& folders) {
    const std::string name = lowered(std::string(windowManagerName));
    std::optional<std::string> found;
    if (name == "openbox") {
        found = openbox(folders);
    } else if (name == "fluxbox") {
        found = fluxbox(folders);
    } else if (name == "xfwm4") {
        found = xfwm4(folders);
    } else if (name.find("kwin") != std::string::npos) {
        found = kwin(folders);
    } else if (name.find("marco") != std::string::npos) {
        found = gsettingsTiling(folders, "marco", "org.mate.Marco.general", "allow-tiling");
    } else if (name == "mutter" || name == "gnome shell") {
        found = gsettingsTiling(folders, "mutter", "org.gnome.mutter", "edge-tiling");
    }
    return found ? std::vector<std::string>{*found} : std::vector<std::string>{};
}

} // namespace vantile
