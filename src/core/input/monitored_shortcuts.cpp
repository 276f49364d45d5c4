#include "core/input/monitored_shortcuts.h"

#include <algorithm>

namespace vantile {

std::uint64_t MonitoredShortcuts::significantModifiers(std::uint64_t flags) {
    return flags & 0xFFFF0000ull & ~(modifier::numericPad | modifier::function);
}

Registration MonitoredShortcuts::registerShortcut(const std::string& id, const KeyChord& chord,
                                                  ShortcutPress pressed) {
    if (std::ranges::any_of(entries_,
                            [&](const Entry& e) { return e.id == id || e.chord == chord; })) {
        return Registration::refused;
    }
    if (!global_ && !local_) {
        // Monitors are removed before this object goes, so they may hold it plainly.
        global_ = monitors_.addGlobalKeyDownMonitor([this](const KeyEvent& e) { dispatch(e); });
        local_ =
            monitors_.addLocalKeyDownMonitor([this](const KeyEvent& e) { return dispatch(e); });
        if (!global_ && !local_) {
            return Registration::refused;
        }
    }
    entries_.push_back({id, chord, std::move(pressed)});
    return Registration::active;
}

void MonitoredShortcuts::unregisterShortcut(const std::string& id) {
    std::erase_if(entries_, [&](const Entry& e) { return e.id == id; });
    if (entries_.empty()) {
        removeMonitors();
    }
}

bool MonitoredShortcuts::dispatch(const KeyEvent& event) {
    const KeyChord pressed{event.keyCode, significantModifiers(event.modifierFlags)};
    const auto entry =
        std::ranges::find_if(entries_, [&](const Entry& e) { return e.chord == pressed; });
    if (entry == entries_.end()) {
        return false;
    }
    // The work may unregister shortcuts while it runs.
    const auto work = entry->pressed();
    if (!work) {
        return false;
    }
    work();
    return true;
}

void MonitoredShortcuts::removeMonitors() {
    for (auto* token : {&global_, &local_}) {
        if (*token) {
            monitors_.removeMonitor(**token);
            token->reset();
        }
    }
}

} // namespace vantile
