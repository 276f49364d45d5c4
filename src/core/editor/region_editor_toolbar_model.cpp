#include "core/editor/region_editor_toolbar_model.h"

namespace vantile {

namespace {

int itemOfActivePreset(const std::vector<RegionPreset>& presets, RegionManager& regions,
                       const Screens& screens) {
    const std::vector<Screen> list = screens.screens();
    if (list.empty()) {
        return 0;
    }
    const auto& active = regions.activePresetIDs();
    const auto entry = active.find(RegionManager::screenKey(list.front()));
    if (entry == active.end()) {
        return 0;
    }
    for (std::size_t k = 0; k < presets.size(); ++k) {
        if (presets[k].id == entry->second) {
            return static_cast<int>(k) + 1;
        }
    }
    return 0;
}

} // namespace

RegionEditorToolbarModel::RegionEditorToolbarModel(RegionManager& regions, const Screens& screens)
    : presets_(regions.allPresets()),
      preselectedIndex_(itemOfActivePreset(presets_, regions, screens)) {}

std::vector<std::string> RegionEditorToolbarModel::titles() const {
    std::vector<std::string> out{placeholderTitle};
    for (const RegionPreset& preset : presets_) {
        out.push_back(preset.name);
    }
    return out;
}

const RegionPreset* RegionEditorToolbarModel::presetForItem(int index) const {
    const int position = index - 1;
    if (position < 0 || position >= static_cast<int>(presets_.size())) {
        return nullptr;
    }
    return &presets_[static_cast<std::size_t>(position)];
}

std::string presetNameToSave(const std::string& typed) {
    return typed.empty() ? "Untitled" : typed;
}

} // namespace vantile
