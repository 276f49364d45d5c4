#include "support/size_hints.h"

namespace vantile::test {

namespace {

// Flag bits and item positions of WM_SIZE_HINTS (ICCCM 4.1.2.3).
enum Flag : std::uint32_t {
    USPosition = 1U << 0,
    USSize = 1U << 1,
    PMinSize = 1U << 4,
    PMaxSize = 1U << 5,
    PResizeInc = 1U << 6,
    PBaseSize = 1U << 8,
    PWinGravity = 1U << 9,
};
enum Item : std::size_t {
    Flags = 0,
    X = 1,
    Y = 2,
    Width = 3,
    Height = 4,
    MinWidth = 5,
    MaxWidth = 7,
    WidthInc = 9,
    BaseWidth = 15,
    WinGravity = 17,
};
constexpr std::uint32_t kNorthWestGravity = 1;

using Items = std::array<std::uint32_t, kSizeHintItems>;

void setPair(Items& items, Item first, std::uint32_t flag, const std::optional<PixelSize>& size) {
    if (size) {
        items[Flags] |= flag;
        items[first] = static_cast<std::uint32_t>(size->width);
        items[first + 1] = static_cast<std::uint32_t>(size->height);
    }
}

} // namespace

std::array<std::uint32_t, kSizeHintItems> encodeSizeHints(const SizeHints& hints) {
    Items items{};
    items[Flags] = USPosition | USSize | PWinGravity;
    items[X] = static_cast<std::uint32_t>(hints.x);
    items[Y] = static_cast<std::uint32_t>(hints.y);
    items[Width] = static_cast<std::uint32_t>(hints.width);
    items[Height] = static_cast<std::uint32_t>(hints.height);
    items[WinGravity] = kNorthWestGravity;
    setPair(items, MinWidth, PMinSize, hints.minSize);
    setPair(items, MaxWidth, PMaxSize, hints.maxSize);
    setPair(items, WidthInc, PResizeInc, hints.resizeIncrement);
    setPair(items, BaseWidth, PBaseSize, hints.baseSize);
    return items;
}

} // namespace vantile::test
