#pragma once

#include <vector>

#include "core/regions/region_preset.h"

namespace vantile {

// The four presets that ship with the program, in menu order: Halves, Thirds, Quarters and
// Coding (60/40). Their ids are fixed; they carry no layouts.
const std::vector<RegionPreset>& builtInPresets();

// A new tree for a built-in preset, with fresh region ids on every call; a single full-size leaf
// for any other preset.
BSPNode builtInTree(const RegionPreset& preset);

} // namespace vantile
