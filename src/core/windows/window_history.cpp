#include "core/windows/window_history.h"

namespace vantile {

void WindowHistory::record(std::int64_t key, const Rect& frame) {
    entries_.try_emplace(key, frame);
    if (entries_.size() > capacity) {
        entries_.clear();
    }
}

std::optional<Rect> WindowHistory::take(std::int64_t key) {
    const auto it = entries_.find(key);
    if (it == entries_.end()) {
        return std::nullopt;
    }
    const Rect frame = it->second;
    entries_.erase(it);
    return frame;
}

std::optional<Rect> WindowHistory::find(std::int64_t key) const {
    const auto it = entries_.find(key);
    if (it == entries_.end()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace vantile
