#pragma once

// System-wide shortcuts, registered by id and fired by the desktop. A desktop with a shortcut
// service of its own registers them there; on X11 they are recognised among the key presses the
// program watches.

#include <cstdint>
#include <functional>
#include <string>

namespace vantile {

struct KeyChord {
    // The key by its position on a US keyboard, as KeyEvent names keys.
    std::uint16_t keyCode = 0;
    // Exactly these modifier flags (see modifier::); Num Lock never counts.
    std::uint64_t modifiers = 0;
    friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

class GlobalShortcuts {
  public:
    virtual ~GlobalShortcuts() = default;
    // From now on runs `activated` on the main thread whenever the chord is pressed, until the id
    // is unregistered. False, with nothing registered, when the id or the chord is registered
    // already or the desktop cannot deliver shortcuts.
    virtual bool registerShortcut(const std::string& id, const KeyChord& chord,
                                  std::function<void()> activated) = 0;
    virtual void unregisterShortcut(const std::string& id) = 0;
};

} // namespace vantile
