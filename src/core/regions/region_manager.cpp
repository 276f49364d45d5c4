#include "core/regions/region_manager.h"

#include <cmath>

#include "core/regions/builtin_presets.h"

namespace vantile {

namespace {

bool readsBefore(const Region& a, const Region& b) {
    const double dy = std::abs(a.rect.y - b.rect.y);
    return dy < 0.01 ? a.rect.x < b.rect.x : a.rect.y < b.rect.y;
}

std::string keyPart(double value) {
    return std::to_string(static_cast<long long>(std::trunc(value)));
}

} // namespace

void sortInReadingOrder(std::vector<Region>& regions) {
    for (std::size_t i = 1; i < regions.size(); ++i) {
        for (std::size_t j = i; j > 0 && readsBefore(regions[j], regions[j - 1]); --j) {
            std::swap(regions[j], regions[j - 1]);
        }
    }
}

RegionManager::RegionManager(const Screens& screens, ScreenChanges& changes,
                             RegionPersistence persistence)
    : screens_(screens), persistence_(std::move(persistence)), changes_(changes),
      self_(std::make_shared<RegionManager*>(this)) {
    restoreActiveLayouts();
    std::weak_ptr<RegionManager*> weak = self_;
    changes_.setHandler([weak] {
        if (const auto self = weak.lock()) {
            (*self)->screensDidChange();
        }
    });
}

RegionManager::~RegionManager() {
    changes_.setHandler(nullptr);
}

RegionManager& RegionManager::shared(const Screens& screens, ScreenChanges& changes) {
    // Never destroyed: it lives as long as the process, and a destructor run at exit would meet
    // a desktop connection that is already gone.
    static RegionManager* const instance = new RegionManager(
        screens, changes, RegionPersistence(RegionPersistence::defaultBaseDirectory()));
    return *instance;
}

std::string RegionManager::screenKey(const Screen& screen) {
    const Rect& f = screen.frame;
    return keyPart(f.x) + "_" + keyPart(f.y) + "_" + keyPart(f.width) + "_" + keyPart(f.height);
}

std::vector<RegionPreset> RegionManager::allPresets() {
    if (!cachedCustomPresets_) {
        cachedCustomPresets_ = persistence_.loadCustomPresets();
    }
    std::vector<RegionPreset> presets = builtInPresets();
    presets.insert(presets.end(), cachedCustomPresets_->begin(), cachedCustomPresets_->end());
    return presets;
}

bool RegionManager::applyPreset(const RegionPreset& preset, const Screen& screen) {
    const std::string key = screenKey(screen);
    if (preset.isBuiltIn) {
        activeLayouts_.insert_or_assign(key, RegionLayout{builtInTree(preset)});
    } else if (!preset.layouts.empty()) {
        // The layout saved for this very screen when the preset has one; otherwise a preset saved
        // on one screen applies its layout to any screen.
        const auto own = preset.layouts.find(key);
        activeLayouts_.insert_or_assign(
            key, own != preset.layouts.end() ? own->second : preset.layouts.begin()->second);
    }
    activePresetIDs_.insert_or_assign(key, preset.id);
    return persistence_.setActivePreset(preset.id, key);
}

bool RegionManager::clearLayout(const Screen& screen) {
    const std::string key = screenKey(screen);
    activeLayouts_.erase(key);
    activePresetIDs_.erase(key);
    return persistence_.setActivePreset(std::nullopt, key);
}

bool RegionManager::saveCustomPreset(const std::string& name) {
    const RegionPreset preset{Uuid::random(), name, activeLayouts_, currentDate(), false};
    // A preset that is not on disk is chosen nowhere: after a restart nothing could find it.
    if (!persistence_.savePreset(preset)) {
        return false;
    }
    cachedCustomPresets_.reset();
    bool stored = true;
    for (const auto& [key, layout] : activeLayouts_) {
        activePresetIDs_.insert_or_assign(key, preset.id);
        stored = persistence_.setActivePreset(preset.id, key) && stored;
    }
    return stored;
}

std::vector<Region> RegionManager::regionsForScreen(const Screen& screen) const {
    const auto it = activeLayouts_.find(screenKey(screen));
    if (it == activeLayouts_.end()) {
        return {};
    }
    auto regions = it->second.tree.allRegions();
    sortInReadingOrder(regions);
    return regions;
}

std::optional<Region> RegionManager::regionAtScreenPoint(const Point& point,
                                                         const Screen& screen) const {
    const auto it = activeLayouts_.find(screenKey(screen));
    if (it == activeLayouts_.end()) {
        return std::nullopt;
    }
    const Rect& v = screen.visibleFrame;
    const double fx = (point.x - v.x) / v.width;
    const double fy = 1 - (point.y - v.y) / v.height;
    return it->second.tree.regionAt(fx, fy, unitRect);
}

void RegionManager::restoreActiveLayouts() {
    const auto presets = allPresets();
    for (const Screen& screen : screens_.screens()) {
        const std::string key = screenKey(screen);
        const auto remembered = persistence_.loadActiveConfig();
        const auto entry = remembered.find(key);
        if (entry == remembered.end()) {
            continue;
        }
        const auto id = Uuid::parse(entry->second);
        if (!id) {
            continue;
        }
        for (const auto& preset : presets) {
            if (preset.id == *id) {
                applyPreset(preset, screen);
                break;
            }
        }
    }
}

} // namespace vantile
