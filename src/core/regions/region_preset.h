#pragma once

#include <map>
#include <string>

#include "base/uuid.h"
#include "core/regions/bsp_node.h"

namespace vantile {

struct RegionLayout {
    BSPNode tree;
};

// Dates are seconds since 2001-01-01T00:00:00Z (negative before it).
using Date = double;
// 0001-01-01T00:00:00Z in the proleptic Gregorian calendar.
inline constexpr Date earliestDate = -63113904000.0;
Date currentDate();

// A named set of layouts keyed by screen key. Built-in presets carry no layouts: their trees are
// built from their ids.
struct RegionPreset {
    Uuid id;
    std::string name;
    std::map<std::string, RegionLayout> layouts;
    Date createdDate = 0;
    bool isBuiltIn = false;
};

} // namespace vantile
