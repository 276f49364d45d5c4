#pragma once

// The handlers of one kind of input monitor, keyed by their tokens. A handler removed while
// others are being called, by one of them or by itself, is not called again, not even for the
// event at hand.

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "window/platform.h"

namespace vantile {

template <class... Args> class InputHandlers {
  public:
    using Handler = std::function<void(Args...)>;

    void add(MonitorToken token, Handler handler) {
        entries_.emplace(token, std::make_shared<Entry>(Entry{std::move(handler), true}));
    }

    // False when the token names none of these handlers.
    bool remove(MonitorToken token) {
        const auto found = entries_.find(token);
        if (found == entries_.end()) {
            return false;
        }
        found->second->active = false;
        entries_.erase(found);
        return true;
    }

    bool empty() const { return entries_.empty(); }

    // Calls every handler there is now, in the order they were added. The shared entries keep a
    // handler alive while it runs, even when it removes itself.
    void callAll(Args... args) const {
        std::vector<std::shared_ptr<Entry>> current;
        current.reserve(entries_.size());
        for (const auto& [token, entry] : entries_) {
            current.push_back(entry);
        }
        for (const auto& entry : current) {
            if (entry->active) {
                entry->handler(args...);
            }
        }
    }

  private:
    struct Entry {
        Handler handler;
        bool active = true;
    };

    std::map<MonitorToken, std::shared_ptr<Entry>> entries_;
};

} // namespace vantile
