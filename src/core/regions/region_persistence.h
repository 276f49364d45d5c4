#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/regions/region_preset.h"

namespace vantile {

// The user's presets ("Presets/<ID>.json") and the preset chosen per screen
// ("active_config.json") in the program's folder. Every operation goes to the disk. Reads that
// fail give empty results; writes that fail leave the old file and say so.
class RegionPersistence {
  public:
    // Creates the presets folder (and the base folder) when missing, and removes temporary files
    // that a write cut short (by a crash or kill) left behind.
    explicit RegionPersistence(std::filesystem::path baseDirectory);

    // $XDG_CONFIG_HOME/VantileWindowManager, or ~/.config/VantileWindowManager.
    static std::filesystem::path defaultBaseDirectory();

    const std::filesystem::path& baseDirectory() const { return base_; }
    std::filesystem::path presetsDirectory() const { return base_ / "Presets"; }
    std::filesystem::path activeConfigPath() const { return base_ / "active_config.json"; }

    // Screen key -> preset id text; empty when the file is missing or broken.
    std::map<std::string, std::string> loadActiveConfig() const;
    // Sets (or, without an id, removes) one screen's entry, keeping the others. False when the
    // file could not be written; a file that would not change is not written.
    bool setActivePreset(const std::optional<Uuid>& id, const std::string& screenKey) const;
    // False when the preset could not be written.
    bool savePreset(const RegionPreset& preset) const;

    // How old a temporary file must be before it counts as left behind: a write in progress in
    // another instance (one per display shares the folder) takes far less.
    static constexpr auto staleTemporaryAge = std::chrono::minutes(1);
    // Every readable preset file, oldest first; unreadable ones are skipped.
    std::vector<RegionPreset> loadCustomPresets() const;

  private:
    void removeStaleTemporaries() const;

    std::filesystem::path base_;
};

} // namespace vantile
