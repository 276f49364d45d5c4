#pragma once

// Shortcuts recognised among watched key presses, for desktops that only let the program watch
// the keyboard: a press counts when its key and exactly its modifiers match a chord, Caps
// Lock included (a press with Caps Lock on is no shortcut). Presses to other programs cannot be
// swallowed; one to this program's own windows that matches is swallowed there.

#include <optional>
#include <string>
#include <vector>

#include "platform/global_shortcuts.h"
#include "platform/platform.h"

namespace vantile {

class MonitoredShortcuts : public GlobalShortcuts {
  public:
    // The monitors must outlive this object.
    explicit MonitoredShortcuts(EventMonitors& monitors) : monitors_(monitors) {}
    ~MonitoredShortcuts() override { removeMonitors(); }
    MonitoredShortcuts(const MonitoredShortcuts&) = delete;
    MonitoredShortcuts& operator=(const MonitoredShortcuts&) = delete;

    Registration registerShortcut(const std::string& id, const KeyChord& chord,
                                  ShortcutPress pressed) override;
    void unregisterShortcut(const std::string& id) override;

    // The modifier bits that count: 16 to 31, without the numeric-pad and function flags.
    static std::uint64_t significantModifiers(std::uint64_t flags);

  private:
    // True when the press was a shortcut that did something.
    bool dispatch(const KeyEvent& event);
    void removeMonitors();

    struct Entry {
        std::string id;
        KeyChord chord;
        ShortcutPress pressed;
    };
    EventMonitors& monitors_;
    std::vector<Entry> entries_;
    // Installed with the first shortcut, removed with the last.
    std::optional<MonitorToken> global_;
    std::optional<MonitorToken> local_;
};

} // namespace vantile
