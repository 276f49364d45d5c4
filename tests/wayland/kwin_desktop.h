#pragma once

// A real KWin for a test: a headless kwin_wayland with its own session bus, runtime folder and
// home, and ways to look inside it (scripts whose printed lines come back) and to press its
// shortcuts.

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vantile::test {

// A private D-Bus session bus, gone with the object.
class SessionBus {
  public:
    explicit SessionBus(const std::filesystem::path& folder);
    const std::string& address() const { return address_; }

  private:
    std::unique_ptr<Process> daemon_;
    std::string address_;
};

struct KWinOptions {
    int width = 1280;
    int height = 800;
    int outputs = 1;
    // KWin's own tiling and maximizing of a window dragged to a screen's edge, which lands it
    // where the program's snapping would.
    bool edgeTiling = true;
};

class KWinDesktop {
  public:
    // Throws HarnessError when KWin does not come up.
    explicit KWinDesktop(KWinOptions options = {});

    // What a program needs to be a client of this KWin and to reach its session bus.
    std::map<std::string, std::string> environment() const;
    // Runs the script inside KWin and returns what it passed to `out(text)`, in order, once it
    // has run to its end; throws HarnessError when it fails or does not end.
    std::vector<std::string> evaluate(const std::string& script);
    // The frame of the window with this title, in KWin's pixels; none while it has none.
    std::optional<Rect> frameOf(const std::string& title);
    // Has KWin put the window with this title at the frame.
    void place(const std::string& title, const Rect& frame);
    // Calls `dbus-send` on this session bus with the arguments; its output, or none on failure.
    std::optional<std::string> dbusCall(const std::vector<std::string>& args) const;
    // Has KGlobalAccel fire KWin's shortcut of this name, as its key would.
    void pressShortcut(const std::string& name) const;
    // A client window with this title and size, shown and active; it moves itself when pressed.
    // What it prints goes to the descriptor when one is given, to its log otherwise.
    std::unique_ptr<Process> startClient(const std::string& title, int width, int height,
                                         int output = -1);
    std::string log() const { return readTextFile(dir_.path() / "kwin.log"); }

  private:
    TempDir dir_{"vantile-kwin"};
    SessionBus bus_{dir_.path()};
    std::unique_ptr<Process> kwin_;
    int scripts_ = 0;
    mutable std::string lastFailure_;
};

} // namespace vantile::test
