#pragma once

// What the region editor's toolbar shows and decides, apart from drawing: the preset menu with
// its pre-selected item, the name a save stores under, and where the panel sits on its screen.

#include <string>
#include <vector>

#include "base/geometry.h"
#include "core/regions/region_manager.h"
#include "core/regions/region_preset.h"
#include "platform/platform.h"

namespace vantile {

inline constexpr double kRegionEditorToolbarWidth = 480;
inline constexpr double kRegionEditorToolbarHeight = 48;
// The panel's top edge lies this far below the top of the visible frame, clear of the panels there.
inline constexpr double kRegionEditorToolbarGapBelowTop = 16;

// The preset menu: a placeholder item first, then one item per preset (preset k is item k + 1).
// A snapshot; the toolbar reads a new one after every save.
class RegionEditorToolbarModel {
  public:
    static constexpr const char* placeholderTitle = "Presets...";

    RegionEditorToolbarModel() = default;
    // All presets of the manager; the item selected is the first screen's active preset, whatever
    // screen the toolbar is on, or the placeholder when that screen has none the menu lists.
    RegionEditorToolbarModel(RegionManager& regions, const Screens& screens);

    const std::vector<RegionPreset>& presets() const { return presets_; }
    std::vector<std::string> titles() const;
    int preselectedIndex() const { return preselectedIndex_; }

    // The preset behind a menu item; none for the placeholder, for "no selection" (-1) and for
    // indexes past the end.
    const RegionPreset* presetForItem(int index) const;

  private:
    std::vector<RegionPreset> presets_;
    int preselectedIndex_ = 0;
};

// The name a save stores under: "Untitled" for an empty field, otherwise the text as typed,
// spaces included.
std::string presetNameToSave(const std::string& typed);

} // namespace vantile
