#include "regions/region_persistence.h"

#include <algorithm>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>

#include "app/ipc/unique_fd.h"

#include "regions/file_io.h"
#include "regions/region_json.h"

namespace vantile {

namespace fs = std::filesystem;

RegionPersistence::RegionPersistence(fs::path baseDirectory) : base_(std::move(baseDirectory)) {
    std::error_code ignored;
    fs::create_directories(presetsDirectory(), ignored);
}

fs::path RegionPersistence::defaultBaseDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') {
        return fs::path(config) / "VantileWindowManager";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".config" / "VantileWindowManager";
}

std::map<std::string, std::string> RegionPersistence::loadActiveConfig() const {
    const auto text = readWholeFile(activeConfigPath());
    if (!text) {
        return {};
    }
    auto entries = readActiveConfigDocument(*text);
    return entries.value ? std::move(*entries.value) : std::map<std::string, std::string>{};
}

void RegionPersistence::setActivePreset(const std::optional<Uuid>& id,
                                        const std::string& screenKey) const {
    // Instances for other displays share the folder: the read-modify-write is done under a lock
    // so that none drops another's entries.
    const UniqueFd lock(::open((base_ / ".active_config.lock").c_str(),
                               O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lock.valid()) {
        ::flock(lock.get(), LOCK_EX);
    }
    auto entries = loadActiveConfig();
    if (id) {
        entries[screenKey] = id->text();
    } else {
        entries.erase(screenKey);
    }
    writeFileAtomically(activeConfigPath(), writeActiveConfigDocument(entries));
}

void RegionPersistence::savePreset(const RegionPreset& preset) const {
    writeFileAtomically(presetsDirectory() / (preset.id.text() + ".json"),
                        writePresetDocument(preset));
}

std::vector<RegionPreset> RegionPersistence::loadCustomPresets() const {
    std::vector<RegionPreset> presets;
    std::error_code error;
    fs::directory_iterator entries(presetsDirectory(), error);
    if (error) {
        return presets;
    }
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::path& path = entries->path();
        if (path.extension() != ".json") {
            continue;
        }
        const auto text = readWholeFile(path);
        if (!text) {
            continue;
        }
        if (auto preset = readPresetDocument(*text); preset.value) {
            presets.push_back(std::move(*preset.value));
        }
    }
    std::stable_sort(presets.begin(), presets.end(),
                     [](const auto& a, const auto& b) { return a.createdDate < b.createdDate; });
    return presets;
}

} // namespace vantile
