#include "core/regions/region_persistence.h"

#include <algorithm>
#include <cstdlib>
#include <future>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>

#include "base/unique_fd.h"

#include "base/file_io.h"
#include "core/regions/region_json.h"

namespace vantile {

namespace fs = std::filesystem;

RegionPersistence::RegionPersistence(fs::path baseDirectory) : base_(std::move(baseDirectory)) {
    std::error_code ignored;
    fs::create_directories(presetsDirectory(), ignored);
    removeStaleTemporaries();
}

// Temporary files are named ".<target>.XXXXXX" beside their target.
void RegionPersistence::removeStaleTemporaries() const {
    const auto now = fs::file_time_type::clock::now();
    for (const fs::path& folder : {base_, presetsDirectory()}) {
        std::error_code error;
        fs::directory_iterator entries(folder, error);
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            const std::string name = entries->path().filename().string();
            const auto dot = name.rfind('.');
            const bool temporary = name.size() > 8 && name[0] == '.' && dot == name.size() - 7 &&
                                   (name.rfind(".json.", dot) == dot - 5);
            std::error_code ignored;
            if (temporary && entries->is_regular_file(ignored) &&
                now - entries->last_write_time(ignored) > staleTemporaryAge) {
                fs::remove(entries->path(), ignored);
            }
        }
    }
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

bool RegionPersistence::setActivePreset(const std::optional<Uuid>& id,
                                        const std::string& screenKey) const {
    // Instances for other displays share the folder: the read-modify-write is done under a lock
    // so that none drops another's entries.
    const UniqueFd lock(::open((base_ / ".active_config.lock").c_str(),
                               O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lock.valid()) {
        ::flock(lock.get(), LOCK_EX);
    }
    const auto before = readWholeFile(activeConfigPath());
    auto read = readActiveConfigDocument(before.value_or(""));
    auto entries = read.value ? std::move(*read.value) : std::map<std::string, std::string>{};
    if (id) {
        entries[screenKey] = id->text();
    } else {
        entries.erase(screenKey);
    }
    const std::string document = writeActiveConfigDocument(entries);
    return document == before || writeFileAtomically(activeConfigPath(), document);
}

bool RegionPersistence::savePreset(const RegionPreset& preset) const {
    // A file too large to be read back would be a preset lost.
    const std::string document = writePresetDocument(preset);
    return document.size() <= maxConfigFileSize &&
           writeFileAtomically(presetsDirectory() / (preset.id.text() + ".json"), document);
}

namespace {

std::vector<fs::path> presetFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        if (entries->path().extension() == ".json") {
            files.push_back(entries->path());
        }
    }
    return files;
}

// Reads every n-th file starting at `first`; unreadable or invalid files give nothing.
std::vector<RegionPreset> readShare(const std::vector<fs::path>& files, std::size_t first,
                                    std::size_t step) {
    std::vector<RegionPreset> presets;
    for (std::size_t i = first; i < files.size(); i += step) {
        const auto text = readWholeFile(files[i]);
        if (!text) {
            continue;
        }
        if (auto preset = readPresetDocument(*text); preset.value) {
            presets.push_back(std::move(*preset.value));
        }
    }
    return presets;
}

} // namespace

std::vector<RegionPreset> RegionPersistence::loadCustomPresets() const {
    const std::vector<fs::path> files = presetFiles(presetsDirectory());
    // Parsing dominates, and many presets are worth a second core; a few are not worth a thread.
    const std::size_t workers =
        files.size() < 64 ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<std::future<std::vector<RegionPreset>>> shares;
    for (std::size_t w = 1; w < workers; ++w) {
        shares.push_back(std::async(std::launch::async, readShare, std::cref(files), w, workers));
    }
    std::vector<RegionPreset> presets = readShare(files, 0, workers);
    for (auto& share : shares) {
        auto more = share.get();
        std::move(more.begin(), more.end(), std::back_inserter(presets));
    }
    std::stable_sort(presets.begin(), presets.end(),
                     [](const auto& a, const auto& b) { return a.createdDate < b.createdDate; });
    // Parsing left much memory free in the heap, some of it on the readers' threads.
    releaseFreedMemory();
    return presets;
}

} // namespace vantile
