// Feeds arbitrary bytes to the preset-file reader. Whatever it accepts must survive being written
// and read again unchanged, because the program rewrites preset files it has read; whatever it
// refuses must come with a reason.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/regions/region_json.h"
#include "require.h"

namespace {

using vantile::BSPNode;
using vantile::RegionPreset;

bool finite(const vantile::FractionalRect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) &&
           std::isfinite(r.height);
}

// JSON has no NaN or infinity, so an accepted tree holds neither; without NaN, == on the doubles
// is the right comparison for the round trip.
void checkTree(const BSPNode& tree) {
    require(tree.depth() <= static_cast<std::size_t>(vantile::maxTreeDepth));
    for (const vantile::Region& region : tree.allRegions()) {
        require(finite(region.rect));
    }
}

bool sameLayouts(const RegionPreset& a, const RegionPreset& b) {
    if (a.layouts.size() != b.layouts.size()) {
        return false;
    }
    for (auto i = a.layouts.begin(), j = b.layouts.begin(); i != a.layouts.end(); ++i, ++j) {
        if (i->first != j->first || !(i->second.tree == j->second.tree)) {
            return false;
        }
    }
    return true;
}

bool samePreset(const RegionPreset& a, const RegionPreset& b) {
    return a.id == b.id && a.name == b.name && a.createdDate == b.createdDate &&
           a.isBuiltIn == b.isBuiltIn && sameLayouts(a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto read = vantile::readPresetDocument(text);
    if (!read.value) {
        require(!read.error.path.empty() && !read.error.description.empty());
        return 0;
    }
    const RegionPreset& preset = *read.value;
    require(std::isfinite(preset.createdDate));
    for (const auto& [key, layout] : preset.layouts) {
        checkTree(layout.tree);
    }

    const std::string written = vantile::writePresetDocument(preset);
    const auto again = vantile::readPresetDocument(written);
    require(again.value.has_value());
    require(samePreset(preset, *again.value));
    // Saving a preset that was loaded unchanged must not change its file.
    require(vantile::writePresetDocument(*again.value) == written);
    return 0;
}
