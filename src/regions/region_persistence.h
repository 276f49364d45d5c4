#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "regions/region_preset.h"

namespace vantile {

// The user's presets ("Presets/<ID>.json") and the preset chosen per screen
// ("active_config.json") in the program's folder. Every operation goes to the disk; every failure
// is silent: reads give empty results, failed writes leave the old file.
class RegionPersistence {
  public:
    // Creates the presets folder (and the base folder) when missing.
    explicit RegionPersistence(std::filesystem::path baseDirectory);

    // $XDG_CONFIG_HOME/VantileWindowManager, or ~/.config/VantileWindowManager.
    static std::filesystem::path defaultBaseDirectory();

    const std::filesystem::path& baseDirectory() const { return base_; }
    std::filesystem::path presetsDirectory() const { return base_ / "Presets"; }
    std::filesystem::path activeConfigPath() const { return base_ / "active_config.json"; }

    // Screen key -> preset id text; empty when the file is missing or broken.
    std::map<std::string, std::string> loadActiveConfig() const;
    // Sets (or, without an id, removes) one screen's entry, keeping the others.
    void setActivePreset(const std::optional<Uuid>& id, const std::string& screenKey) const;
    void savePreset(const RegionPreset& preset) const;
    // Every readable preset file, oldest first; unreadable ones are skipped.
    std::vector<RegionPreset> loadCustomPresets() const;

  private:
    std::filesystem::path base_;
};

} // namespace vantile
