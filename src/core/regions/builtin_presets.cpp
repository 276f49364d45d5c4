#include "core/regions/builtin_presets.h"

namespace vantile {

namespace {

const Uuid halvesId = Uuid::fromText("00000000-0000-0000-0000-000000000001");
const Uuid thirdsId = Uuid::fromText("00000000-0000-0000-0000-000000000002");
const Uuid quartersId = Uuid::fromText("00000000-0000-0000-0000-000000000003");
const Uuid codingId = Uuid::fromText("00000000-0000-0000-0000-000000000004");

constexpr double third = 1.0 / 3.0;
constexpr double twoThirds = 2.0 / 3.0;

BSPNode leaf(const char* label, FractionalRect rect) {
    return BSPNode::leaf(Region{Uuid::random(), rect, label});
}

BSPNode vertical(double fraction, BSPNode first, BSPNode second) {
    return BSPNode::split(SplitDirection::vertical, fraction, std::move(first), std::move(second));
}

// The leaves carry literal rects, which may differ in the last bit from recomputed ones.
BSPNode halves() {
    return vertical(0.5, leaf("Left", {0, 0, 0.5, 1}), leaf("Right", {0.5, 0, 0.5, 1}));
}

BSPNode thirds() {
    return vertical(third, leaf("Left", {0, 0, third, 1}),
                    vertical(0.5, leaf("Center", {third, 0, third, 1}),
                             leaf("Right", {twoThirds, 0, third, 1})));
}

BSPNode quarters() {
    return BSPNode::split(
        SplitDirection::horizontal, 0.5,
        vertical(0.5, leaf("Top Left", {0, 0, 0.5, 0.5}), leaf("Top Right", {0.5, 0, 0.5, 0.5})),
        vertical(0.5, leaf("Bottom Left", {0, 0.5, 0.5, 0.5}),
                 leaf("Bottom Right", {0.5, 0.5, 0.5, 0.5})));
}

BSPNode coding() {
    return vertical(0.6, leaf("Editor", {0, 0, 0.6, 1}), leaf("Terminal", {0.6, 0, 0.4, 1}));
}

RegionPreset builtIn(const Uuid& id, const char* name) {
    return RegionPreset{id, name, {}, earliestDate, true};
}

} // namespace

const std::vector<RegionPreset>& builtInPresets() {
    static const std::vector<RegionPreset> presets = {
        builtIn(halvesId, "Halves"),
        builtIn(thirdsId, "Thirds"),
        builtIn(quartersId, "Quarters"),
        builtIn(codingId, "Coding (60/40)"),
    };
    return presets;
}

BSPNode builtInTree(const RegionPreset& preset) {
    if (preset.id == halvesId) {
        return halves();
    }
    if (preset.id == thirdsId) {
        return thirds();
    }
    if (preset.id == quartersId) {
        return quarters();
    }
    if (preset.id == codingId) {
        return coding();
    }
    return BSPNode::leaf(Region{Uuid::random(), unitRect, std::nullopt});
}

} // namespace vantile
