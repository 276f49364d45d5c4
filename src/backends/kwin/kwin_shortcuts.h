#pragma once

// Shortcuts on Plasma: each command is a KWin shortcut that the bridge script registers, with
// the program's chord as its default key. Plasma's own settings may bind it to other keys, and
// those win; KGlobalAccel, which holds every component's keys, says what each one is bound to.
// A key KWin delivers is always consumed: it cannot be handed on to the focused program.

#include <map>
#include <string>

#include "backends/kwin/kwin_bridge.h"
#include "platform/global_shortcuts.h"

namespace vantile {

class KWinShortcuts : public GlobalShortcuts {
  public:
    // The bridge must outlive this object.
    explicit KWinShortcuts(KWinBridge& bridge);

    Registration registerShortcut(const std::string& id, const KeyChord& chord,
                                  ShortcutPress pressed) override;
    void unregisterShortcut(const std::string& id) override;
    Registration offerShortcut(const std::string& id, ShortcutPress pressed) override;
    bool boundByDesktop() const override { return true; }
    std::optional<std::vector<std::string>> heldChords(const std::string& id) override;
    bool rebind(const std::string& id, const std::vector<KeyChord>& chords) override;

  private:
    Registration bind(const std::string& id, const QString& keys, ShortcutPress pressed);

    KWinBridge& bridge_;
    std::map<std::string, ShortcutPress> pressed_;
    // The chord each id was last registered with, kept after it is unregistered.
    std::map<std::string, KeyChord> registered_;
};

} // namespace vantile
