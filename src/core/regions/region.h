#pragma once

#include <optional>
#include <string>

#include "base/uuid.h"

namespace vantile {

// A rectangle in fractions of a screen's visible frame: origin at its top-left corner, y downward;
// the whole visible frame is (0, 0, 1, 1). Values are used as stored, never clamped.
struct FractionalRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    friend bool operator==(const FractionalRect&, const FractionalRect&) = default;
};

inline constexpr FractionalRect unitRect{0, 0, 1, 1};

// One area of a layout, identified by its id.
struct Region {
    Uuid id;
    FractionalRect rect;
    std::optional<std::string> label;

    friend bool operator==(const Region&, const Region&) = default;
};

} // namespace vantile
