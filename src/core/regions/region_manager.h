#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/regions/region_persistence.h"
#include "core/regions/region_preset.h"
#include "platform/platform.h"

namespace vantile {

// The custom layout in force on each screen and the preset it came from, keyed by the screen's
// frame. Re-applies the remembered presets at start and whenever the screens change.
class RegionManager {
  public:
    RegionManager(const Screens& screens, ScreenChanges& changes, RegionPersistence persistence);
    ~RegionManager();
    RegionManager(const RegionManager&) = delete;
    RegionManager& operator=(const RegionManager&) = delete;

    // The one region manager of the process, created on first use for the desktop it serves
    // (later calls return it and ignore their arguments), with its files in the default folder.
    static RegionManager& shared(const Screens& screens, ScreenChanges& changes);

    // "X_Y_W_H" of the screen's full frame, each truncated toward zero.
    static std::string screenKey(const Screen& screen);

    // The built-in presets, then the user's oldest first.
    std::vector<RegionPreset> allPresets();
    // Both take effect at once; false when the choice could not be written to disk (it is then
    // forgotten at the next start).
    bool applyPreset(const RegionPreset& preset, const Screen& screen);
    bool clearLayout(const Screen& screen);
    // Stores every active layout as a new preset and makes it every such screen's choice. False,
    // with the choices as they were, when the preset could not be written.
    bool saveCustomPreset(const std::string& name);

    // The screen's regions in reading order: rows top to bottom, each left to right.
    std::vector<Region> regionsForScreen(const Screen& screen) const;
    // The region under a point given in screen space (origin bottom-left, y up).
    std::optional<Region> regionAtScreenPoint(const Point& point, const Screen& screen) const;

    void restoreActiveLayouts();
    void screensDidChange() { restoreActiveLayouts(); }

    // The editor writes its finished trees here directly.
    std::map<std::string, RegionLayout>& activeLayouts() { return activeLayouts_; }
    const std::map<std::string, Uuid>& activePresetIDs() const { return activePresetIDs_; }
    const RegionPersistence& persistence() const { return persistence_; }

  private:
    const Screens& screens_;
    RegionPersistence persistence_;
    std::map<std::string, RegionLayout> activeLayouts_;
    std::map<std::string, Uuid> activePresetIDs_;
    std::optional<std::vector<RegionPreset>> cachedCustomPresets_;
    ScreenChanges& changes_;
    // The screen-change handler holds this weakly.
    std::shared_ptr<RegionManager*> self_;
};

// Reading order of regions by their stored rects: tops less than 0.01 apart form one row.
// Sorted by insertion, which stays well-defined although "same row" is not transitive.
void sortInReadingOrder(std::vector<Region>& regions);

} // namespace vantile
