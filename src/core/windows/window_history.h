#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "base/geometry.h"

namespace vantile {

// Frames windows had before they were first moved, for "restore". Keyed by the window's identity.
// The first frame recorded under a key wins; reaching 51 entries empties the whole map at once.
class WindowHistory {
  public:
    static constexpr std::size_t capacity = 50;

    void record(std::int64_t key, const Rect& frame);
    // Removes and returns the entry for the key, if any.
    std::optional<Rect> take(std::int64_t key);

    std::optional<Rect> find(std::int64_t key) const;
    std::size_t size() const { return entries_.size(); }

  private:
    std::unordered_map<std::int64_t, Rect> entries_;
};

} // namespace vantile
