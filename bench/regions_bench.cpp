// Speed of the region code: loading the user's presets from disk, as happens at start and whenever
// the preset menu opens, and the tree edits the layout editor makes while the user drags.
// Prints medians next to their targets; a figure over its target is reported, not a failure.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/regions/bsp_node.h"
#include "base/file_io.h"
#include "core/regions/region_persistence.h"

using namespace vantile;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr int presetCount = 1000;
constexpr int loadRuns = 7;
constexpr int treeRuns = 5001;
constexpr double loadTargetMs = 150;
constexpr double editTargetUs = 50;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

const char* verdict(double value, double target) {
    return value < target ? "within" : "OVER";
}

// One full-size leaf split level by level, every leaf of a level in turn: 2^levels regions in a
// balanced tree. With a generator the directions and fractions vary as hand-made layouts do.
BSPNode splitTree(int levels, std::mt19937* random) {
    BSPNode tree = BSPNode::leaf(Region{Uuid::random(), unitRect, std::nullopt});
    std::uniform_real_distribution<double> fraction(0.2, 0.8);
    for (int level = 0; level < levels; ++level) {
        for (const Region& region : tree.allRegions()) {
            SplitDirection direction =
                level % 2 ? SplitDirection::horizontal : SplitDirection::vertical;
            double f = 0.5;
            if (random) {
                direction = (*random)() % 2 ? SplitDirection::horizontal : SplitDirection::vertical;
                f = fraction(*random);
            }
            tree = tree.splitRegion(region.id, direction, f);
        }
    }
    return tree;
}

// A folder under the system's temporary one, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "vantile-regions-bench-XXXXXX");
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Drops the files' pages from the page cache (they were flushed when saved). Directory entries
// and inodes stay cached, hence only cold-ish.
void dropCachedPages(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
}

int benchLoading() {
    TempFolder folder;
    const RegionPersistence persistence(folder.path());
    std::mt19937 random(2024);
    const auto saveStart = Clock::now();
    for (int i = 0; i < presetCount; ++i) {
        RegionPreset preset{
            Uuid::random(), "Preset " + std::to_string(i), {}, currentDate() + i, false};
        preset.layouts.emplace("0_0_1920_1080", RegionLayout{splitTree(4, &random)});
        if (i % 2) {
            preset.layouts.emplace("1920_0_2560_1440", RegionLayout{splitTree(4, &random)});
        }
        persistence.savePreset(preset);
    }
    const double savedMs = microsecondsSince(saveStart) / 1000;
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(persistence.presetsDirectory())) {
        bytes += entry.file_size();
    }
    std::printf("%d preset files of 16 regions per layout, one or two layouts each: %.1f MB, "
                "saved in %.0f ms\n",
                presetCount, bytes / 1e6, savedMs);

    std::vector<double> cold, warm;
    for (int run = 0; run < loadRuns; ++run) {
        dropCachedPages(persistence.presetsDirectory());
        const auto start = Clock::now();
        const std::size_t loaded = persistence.loadCustomPresets().size();
        cold.push_back(microsecondsSince(start) / 1000);
        if (loaded != presetCount) {
            std::printf("error: loaded %zu presets of %d\n", loaded, presetCount);
            return 1;
        }
    }
    persistence.loadCustomPresets();
    for (int run = 0; run < loadRuns; ++run) {
        const auto start = Clock::now();
        persistence.loadCustomPresets();
        warm.push_back(microsecondsSince(start) / 1000);
    }
    for (const auto& [name, times] : {std::pair{"cold-ish", &cold}, std::pair{"warm    ", &warm}}) {
        const double m = median(*times);
        std::printf("  loadCustomPresets, %s: %7.1f ms median of %d (target < %.0f ms, %s)\n", name,
                    m, loadRuns, loadTargetMs, verdict(m, loadTargetMs));
    }
    return 0;
}

// Every split of the tree as updateSplitFraction names it: its own area, and a region of its
// first subtree.
struct SplitHandle {
    FractionalRect area;
    Uuid id;
};

void collectSplits(const BSPNode& node, const FractionalRect& area, std::vector<SplitHandle>& out) {
    if (node.isLeaf()) {
        return;
    }
    out.push_back({area, node.first().allRegions().front().id});
    collectSplits(node.first(), BSPNode::firstArea(node.direction(), node.fraction(), area), out);
    collectSplits(node.second(), BSPNode::secondArea(node.direction(), node.fraction(), area), out);
}

void report(const char* name, const std::vector<double>& times) {
    const double m = median(times);
    std::printf("  %-40s %7.2f us (target < %.0f us, %s)\n", name, m, editTargetUs,
                verdict(m, editTargetUs));
}

int benchTreeEdits() {
    const BSPNode tree = splitTree(8, nullptr);
    const std::vector<Region> leaves = tree.allRegions();
    std::vector<SplitHandle> splits;
    collectSplits(tree, unitRect, splits);
    std::printf("%zu-leaf balanced tree, median of %d runs:\n", leaves.size(), treeRuns);

    std::vector<double> splitting, merging, resizing;
    std::optional<BSPNode> result;
    // The figures mean nothing unless every edit did its work.
    int failedEdits = 0;
    for (int run = 0; run < treeRuns; ++run) {
        const Uuid& id = leaves[run % leaves.size()].id;
        const auto direction = run % 2 ? SplitDirection::horizontal : SplitDirection::vertical;

        result.reset();
        auto start = Clock::now();
        result.emplace(tree.splitRegion(id, direction, 0.5));
        splitting.push_back(microsecondsSince(start));
        failedEdits += result->allRegions().size() != leaves.size() + 1;

        result.reset();
        start = Clock::now();
        result.emplace(tree.mergeRegion(id));
        merging.push_back(microsecondsSince(start));
        failedEdits += result->allRegions().size() != leaves.size() - 1;

        const SplitHandle& split = splits[run % splits.size()];
        result.emplace(tree);
        start = Clock::now();
        const bool changed = result->updateSplitFraction(split.id, run % 2 ? 0.4 : 0.6, split.area);
        result->recalculateRects(unitRect);
        resizing.push_back(microsecondsSince(start));
        failedEdits += !changed;
    }
    if (failedEdits) {
        std::printf("error: %d edits did not change the tree as expected\n", failedEdits);
        return 1;
    }
    report("splitRegion", splitting);
    report("mergeRegion", merging);
    report("updateSplitFraction + recalculateRects", resizing);
    return 0;
}

} // namespace

namespace hostile {

long statusKb(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, std::strlen(field)) == 0) {
            kb = std::atol(line + std::strlen(field) + 1);
        }
    }
    if (status) {
        std::fclose(status);
    }
    return kb;
}

// Files a careless or hostile program could leave in the presets folder, each as large as a file
// may be read: what reading them costs at the peak and keeps afterwards.
int benchHostileFiles() {
    const std::vector<std::pair<const char*, std::string>> shapes = {
        {"numbers [0,0,...]", "0,"},
        {"empty objects [{},{},...]", "{},"},
        {"empty strings [\"\",...]", "\"\","},
        {"brackets [[[[...", "["}};
    std::printf("Hostile preset files of %zu KiB, read as at start (peak and kept memory):\n",
                maxConfigFileSize / 1024);
    for (const auto& [name, unit] : shapes) {
        const fs::path folder =
            fs::temp_directory_path() / ("vantile-hostile-" + std::to_string(::getpid()));
        fs::create_directories(folder / "Presets");
        std::string text = "[";
        while (text.size() + unit.size() + 4 < maxConfigFileSize) {
            text += unit;
        }
        text += unit[0] == '[' ? "" : "0]";
        std::FILE* file = std::fopen((folder / "Presets" / "hostile.json").c_str(), "w");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        // Starts the high-water mark afresh at what is in use now.
        if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        const long before = statusKb("VmRSS:");
        RegionPersistence(folder).loadCustomPresets();
        std::printf("  %-28s peak +%6.1f MB, kept +%5.1f MB\n", name,
                    (statusKb("VmHWM:") - before) / 1024.0, (statusKb("VmRSS:") - before) / 1024.0);
        fs::remove_all(folder);
    }
    return 0;
}

} // namespace hostile

int main() {
    // The hostile files first, so that the peak they reach is not hidden by an earlier one.
    return hostile::benchHostileFiles() != 0 || benchLoading() != 0 || benchTreeEdits() != 0 ? 1
                                                                                             : 0;
}
