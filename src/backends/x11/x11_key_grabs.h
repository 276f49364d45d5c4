#pragma once

// Shortcuts on an X display: each chord is a passive grab of its key on the root window, so that
// the key is ours alone and never reaches the focused program, is not seen while another program
// holds the keyboard (a screen locker), and repeats while held. A grab another program holds
// already (usually the window manager's binding) is refused by the server: the chord is then
// taken. Each chord is grabbed with and without Num Lock, and never with Caps Lock: a press with
// Caps Lock on is no shortcut. Keys are grabbed by their position (see x11_keys.h); the grabs are
// made again when the keyboard's mapping changes, which may move Num Lock.
//
// The grabs are synchronous: the keyboard waits for the program's answer to each press, which
// comes at once, before any work: a press whose command would do nothing is handed on to the
// focused program as if the key had not been grabbed.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "platform/global_shortcuts.h"

namespace vantile {

class X11KeyGrabs : public GlobalShortcuts {
  public:
    // Listens to the connection, which must outlive this object.
    explicit X11KeyGrabs(X11Connection& connection);
    ~X11KeyGrabs() override;
    X11KeyGrabs(const X11KeyGrabs&) = delete;
    X11KeyGrabs& operator=(const X11KeyGrabs&) = delete;

    // Waits for the server's verdict on the grabs (one round trip).
    Registration registerShortcut(const std::string& id, const KeyChord& chord,
                                  ShortcutPress pressed) override;
    void unregisterShortcut(const std::string& id) override;

    // Around the question of what a press does: `asking` before it, `asked` after it, so that
    // the desktop's answers can be asked for all at once.
    void setPressHooks(std::function<void()> asking, std::function<void()> asked) {
        asking_ = std::move(asking);
        asked_ = std::move(asked);
    }

  private:
    struct Grab {
        std::string id;
        KeyChord chord;
        xcb_keycode_t keycode = 0;
        std::uint16_t modifiers = 0;
        ShortcutPress pressed;
    };
    Registration grab(const Grab& grab);
    void ungrab(const Grab& grab);
    void onEvent(const xcb_generic_event_t& event);
    void onKeyPress(const xcb_key_press_event_t& press);
    void regrabAll();
    std::uint16_t readNumLockMask();

    X11Connection& connection_;
    std::uint16_t numLock_ = 0;
    std::vector<Grab> grabs_;
    std::function<void()> asking_;
    std::function<void()> asked_;
    // Last, so that no event reaches a half-destroyed object.
    X11Connection::Subscription subscription_;
};

} // namespace vantile
