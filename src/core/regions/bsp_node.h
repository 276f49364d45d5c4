#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "core/regions/region.h"

namespace vantile {

// A horizontal split cuts the height (first = upper part); a vertical one cuts the width
// (first = left part).
enum class SplitDirection { horizontal, vertical };

std::string_view rawValue(SplitDirection direction);
std::optional<SplitDirection> splitDirectionFromRawValue(std::string_view raw);

// A binary space partition of a visible frame into regions. A value: copies never see later
// changes. Children are immutable and shared between copies; every change builds new nodes along
// the path it changes.
class BSPNode {
  public:
    static BSPNode leaf(Region region);
    static BSPNode split(SplitDirection direction, double fraction, BSPNode first, BSPNode second);

    bool isLeaf() const { return std::holds_alternative<Region>(value_); }
    // Leaf accessors; the split accessors below may be used only on splits.
    const Region& region() const { return std::get<Region>(value_); }
    SplitDirection direction() const { return splitPart().direction; }
    double fraction() const { return splitPart().fraction; }
    const BSPNode& first() const { return *splitPart().first; }
    const BSPNode& second() const { return *splitPart().second; }

    // The areas of a split's children within the split's own area.
    static FractionalRect firstArea(SplitDirection direction, double fraction,
                                    const FractionalRect& bounds);
    static FractionalRect secondArea(SplitDirection direction, double fraction,
                                     const FractionalRect& bounds);

    // The leaves, depth first, all of first before all of second.
    std::vector<Region> allRegions() const;
    // The region whose area (by the tree's fractions) holds the point; edges are half-open.
    std::optional<Region> regionAt(double fx, double fy, const FractionalRect& bounds) const;
    // Every leaf with the id split in two fresh, unlabelled regions.
    BSPNode splitRegion(const Uuid& id, SplitDirection direction, double fraction) const;
    // The split whose two leaf children include the id, made one fresh, unlabelled region.
    BSPNode mergeRegion(const Uuid& id) const;
    // The rectangle around the stored rects of all leaves of both trees.
    static FractionalRect unionRect(const BSPNode& a, const BSPNode& b);

    // Sets the fraction of the split whose own area is `area` and whose first subtree holds the
    // region. True when a split was changed. Leaf rects are left as they are.
    bool updateSplitFraction(const Uuid& id, double fraction, const FractionalRect& area);
    // Rewrites every leaf's rect to the area the tree gives it within the bounds.
    void recalculateRects(const FractionalRect& bounds);

    std::size_t depth() const;

    friend bool operator==(const BSPNode& a, const BSPNode& b);

  private:
    struct Split {
        SplitDirection direction;
        double fraction;
        std::shared_ptr<const BSPNode> first;
        std::shared_ptr<const BSPNode> second;
    };
    explicit BSPNode(Region region) : value_(std::move(region)) {}
    explicit BSPNode(Split split) : value_(std::move(split)) {}
    const Split& splitPart() const { return std::get<Split>(value_); }

    bool contains(const Uuid& id) const;
    bool updateSplitFraction(const Uuid& id, double fraction, const FractionalRect& area,
                             const FractionalRect& bounds);

    std::variant<Region, Split> value_;
};

} // namespace vantile
