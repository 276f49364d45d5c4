#include "app/preset_listing.h"

#include <cmath>

#include "core/regions/region_manager.h"

namespace vantile {

namespace {

std::string signedNumber(long value) {
    return (value < 0 ? "" : "+") + std::to_string(value);
}

std::string chosenPresetName(const Screen& screen, const std::vector<RegionPreset>& presets,
                             const std::map<std::string, Uuid>& activePresetIDs) {
    const auto active = activePresetIDs.find(RegionManager::screenKey(screen));
    if (active == activePresetIDs.end()) {
        return "-";
    }
    for (const RegionPreset& preset : presets) {
        if (preset.id == active->second) {
            return printableName(preset.name);
        }
    }
    return "-";
}

} // namespace

std::string printableName(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            c = ' ';
        }
    }
    return out;
}

std::string screenGeometry(const Rect& frame, const Rect& primaryFrame) {
    // Screen space has its origin at the primary's bottom-left with y up; people and xrandr
    // count from the top-left with y down.
    const long x = std::lround(frame.x - primaryFrame.x);
    const long y = std::lround(primaryFrame.maxY() - frame.maxY());
    return std::to_string(std::lround(frame.width)) + "x" +
           std::to_string(std::lround(frame.height)) + signedNumber(x) + signedNumber(y);
}

std::string presetListing(const std::vector<Screen>& screens,
                          const std::vector<RegionPreset>& presets,
                          const std::map<std::string, Uuid>& activePresetIDs) {
    std::string out = "Screens:\n";
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const Screen& screen = screens[i];
        out += std::to_string(i + 1) + "\t" + printableName(screen.localizedName) + "\t" +
               screenGeometry(screen.frame, screens.front().frame) + "\t" +
               chosenPresetName(screen, presets, activePresetIDs) + "\n";
    }
    out += "Presets:\n";
    for (const RegionPreset& preset : presets) {
        out += printableName(preset.name) + "\t" + preset.id.text() + "\n";
    }
    return out;
}

} // namespace vantile
