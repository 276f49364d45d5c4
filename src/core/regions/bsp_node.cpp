#include "core/regions/bsp_node.h"

#include <algorithm>
#include <limits>

namespace vantile {

namespace {

bool inside(double fx, double fy, const FractionalRect& r) {
    return r.x <= fx && fx < r.x + r.width && r.y <= fy && fy < r.y + r.height;
}

Region freshRegion(const FractionalRect& rect) {
    return Region{Uuid::random(), rect, std::nullopt};
}

} // namespace

std::string_view rawValue(SplitDirection direction) {
    return direction == SplitDirection::horizontal ? "horizontal" : "vertical";
}

std::optional<SplitDirection> splitDirectionFromRawValue(std::string_view raw) {
    if (raw == "horizontal") {
        return SplitDirection::horizontal;
    }
    if (raw == "vertical") {
        return SplitDirection::vertical;
    }
    return std::nullopt;
}

BSPNode BSPNode::leaf(Region region) {
    return BSPNode(std::move(region));
}

BSPNode BSPNode::split(SplitDirection direction, double fraction, BSPNode first, BSPNode second) {
    return BSPNode(Split{direction, fraction, std::make_shared<const BSPNode>(std::move(first)),
                         std::make_shared<const BSPNode>(std::move(second))});
}

FractionalRect BSPNode::firstArea(SplitDirection direction, double f, const FractionalRect& b) {
    if (direction == SplitDirection::vertical) {
        return {b.x, b.y, b.width * f, b.height};
    }
    return {b.x, b.y, b.width, b.height * f};
}

FractionalRect BSPNode::secondArea(SplitDirection direction, double f, const FractionalRect& b) {
    if (direction == SplitDirection::vertical) {
        return {b.x + b.width * f, b.y, (1 - f) * b.width, b.height};
    }
    return {b.x, b.y + b.height * f, b.width, (1 - f) * b.height};
}

std::vector<Region> BSPNode::allRegions() const {
    std::vector<Region> out;
    std::vector<const BSPNode*> stack{this};
    while (!stack.empty()) {
        const BSPNode* node = stack.back();
        stack.pop_back();
        if (node->isLeaf()) {
            out.push_back(node->region());
        } else {
            stack.push_back(&node->second());
            stack.push_back(&node->first());
        }
    }
    return out;
}

std::optional<Region> BSPNode::regionAt(double fx, double fy, const FractionalRect& bounds) const {
    const BSPNode* node = this;
    FractionalRect area = bounds;
    while (!node->isLeaf()) {
        const Split& s = node->splitPart();
        const FractionalRect firstPart = firstArea(s.direction, s.fraction, area);
        if (inside(fx, fy, firstPart)) {
            node = s.first.get();
            area = firstPart;
        } else {
            node = s.second.get();
            area = secondArea(s.direction, s.fraction, area);
        }
    }
    if (inside(fx, fy, area)) {
        return node->region();
    }
    return std::nullopt;
}

BSPNode BSPNode::splitRegion(const Uuid& id, SplitDirection direction, double fraction) const {
    if (isLeaf()) {
        if (region().id != id) {
            return *this;
        }
        const FractionalRect& r = region().rect;
        return split(direction, fraction, leaf(freshRegion(firstArea(direction, fraction, r))),
                     leaf(freshRegion(secondArea(direction, fraction, r))));
    }
    const Split& s = splitPart();
    return split(s.direction, s.fraction, s.first->splitRegion(id, direction, fraction),
                 s.second->splitRegion(id, direction, fraction));
}

BSPNode BSPNode::mergeRegion(const Uuid& id) const {
    if (isLeaf()) {
        return *this;
    }
    const Split& s = splitPart();
    if (s.first->isLeaf() && s.second->isLeaf() &&
        (s.first->region().id == id || s.second->region().id == id)) {
        return leaf(freshRegion(unionRect(*s.first, *s.second)));
    }
    return split(s.direction, s.fraction, s.first->mergeRegion(id), s.second->mergeRegion(id));
}

FractionalRect BSPNode::unionRect(const BSPNode& a, const BSPNode& b) {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    for (const BSPNode* tree : {&a, &b}) {
        for (const Region& region : tree->allRegions()) {
            minX = std::min(minX, region.rect.x);
            minY = std::min(minY, region.rect.y);
            maxX = std::max(maxX, region.rect.maxX());
            maxY = std::max(maxY, region.rect.maxY());
        }
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

bool BSPNode::contains(const Uuid& id) const {
    if (isLeaf()) {
        return region().id == id;
    }
    return splitPart().first->contains(id) || splitPart().second->contains(id);
}

bool BSPNode::updateSplitFraction(const Uuid& id, double fraction, const FractionalRect& area) {
    return updateSplitFraction(id, fraction, area, unitRect);
}

bool BSPNode::updateSplitFraction(const Uuid& id, double fraction, const FractionalRect& area,
                                  const FractionalRect& bounds) {
    if (isLeaf()) {
        return false;
    }
    Split& s = std::get<Split>(value_);
    BSPNode first = *s.first;
    if (first.updateSplitFraction(id, fraction, area, firstArea(s.direction, s.fraction, bounds))) {
        s.first = std::make_shared<const BSPNode>(std::move(first));
        return true;
    }
    BSPNode second = *s.second;
    if (second.updateSplitFraction(id, fraction, area,
                                   secondArea(s.direction, s.fraction, bounds))) {
        s.second = std::make_shared<const BSPNode>(std::move(second));
        return true;
    }
    if (bounds == area && s.first->contains(id)) {
        s.fraction = fraction;
        return true;
    }
    return false;
}

void BSPNode::recalculateRects(const FractionalRect& bounds) {
    if (isLeaf()) {
        std::get<Region>(value_).rect = bounds;
        return;
    }
    Split& s = std::get<Split>(value_);
    BSPNode first = *s.first;
    BSPNode second = *s.second;
    first.recalculateRects(firstArea(s.direction, s.fraction, bounds));
    second.recalculateRects(secondArea(s.direction, s.fraction, bounds));
    s.first = std::make_shared<const BSPNode>(std::move(first));
    s.second = std::make_shared<const BSPNode>(std::move(second));
}

std::size_t BSPNode::depth() const {
    if (isLeaf()) {
        return 1;
    }
    return 1 + std::max(first().depth(), second().depth());
}

bool operator==(const BSPNode& a, const BSPNode& b) {
    if (a.isLeaf() != b.isLeaf()) {
        return false;
    }
    if (a.isLeaf()) {
        return a.region() == b.region();
    }
    return a.direction() == b.direction() && a.fraction() == b.fraction() &&
           a.first() == b.first() && a.second() == b.second();
}

} // namespace vantile
