#pragma once

// WM_NORMAL_HINTS as the raw WM_SIZE_HINTS items (18 CARD32s) a client writes.

#include <array>
#include <cstdint>
#include <optional>

namespace vantile::test {

struct PixelSize {
    int width = 0;
    int height = 0;
};

struct SizeHints {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::optional<PixelSize> minSize{};
    std::optional<PixelSize> maxSize{};
    std::optional<PixelSize> resizeIncrement{};
    std::optional<PixelSize> baseSize{};
};

constexpr std::size_t kSizeHintItems = 18;

// The hints with the user-given position and size (so window managers keep them), north-west
// gravity, and the optional limits that are set.
std::array<std::uint32_t, kSizeHintItems> encodeSizeHints(const SizeHints& hints);

} // namespace vantile::test
