#pragma once

// The real vantile binaries run against a test's X server with a private home: the long-running
// instance, and the `vantile` command that talks to it.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/client_window.h"
#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/process.h"

namespace vantile::test {

struct CommandResult {
    std::optional<int> exitCode;
    std::string output; // standard output and standard error together
    friend bool operator==(const CommandResult&, const CommandResult&) = default;
    friend void PrintTo(const CommandResult& result, std::ostream* out) {
        *out << "exit " << result.exitCode.value_or(-1) << ", output \"" << result.output << "\"";
    }
};

class VantileProgram {
  public:
    // Starts `vantile --strict-x-errors ARGS...` (which becomes the instance) after `prepare` has
    // seen its home, with the variables added to its environment, and waits until it answers a
    // ping; throws HarnessError when it does not.
    static std::unique_ptr<VantileProgram>
    start(XServer& server, std::vector<std::string> extraArgs = {},
          const std::function<void(const ProgramHome&)>& prepare = {},
          const std::map<std::string, std::string>& environment = {});

    // The same on another desktop: the variables (which win over the home's) lead it there.
    static std::unique_ptr<VantileProgram> startOn(std::map<std::string, std::string> session,
                                                   std::vector<std::string> extraArgs = {});

    // Runs `vantile ARGS...` to its end (within 10 s) in the instance's environment.
    CommandResult run(const std::vector<std::string>& args) const;
    // `vantile snap ACTION`, then a ping, so that the move has been carried out on return;
    // throws HarnessError when either fails.
    void snap(const std::string& action) const;
    // Whether the instance answered a ping: it has handled everything sent before.
    bool ping() const { return run({"--ping"}).exitCode == 0; }
    bool running() const { return instance_->running(); }
    pid_t pid() const { return instance_->pid(); }
    std::string report() const { return instance_->report(); }
    std::filesystem::path socketPath() const;
    std::filesystem::path configDir() const { return home_.configHome() / "VantileWindowManager"; }
    ProcessOptions commandOptions(const std::vector<std::string>& args) const;

  private:
    VantileProgram(std::string display, std::map<std::string, std::string> session = {})
        : display_(std::move(display)), session_(std::move(session)) {}
    void launch(std::vector<std::string> args,
                const std::map<std::string, std::string>& environment);

    std::string display_;
    std::map<std::string, std::string> session_;
    ProgramHome home_;
    std::unique_ptr<Process> instance_;
};

// Where most end-to-end tests begin: a desktop with a client window at (300, 200), active, the
// program started (after `prepare` has seen the session, its configuration folder named), and
// XTest input at hand.
struct ProgramSession {
    ProgramSession(WmKind wm, int width, int height,
                   const std::vector<WantedMonitor>& monitors = {},
                   const std::function<void(ProgramSession&)>& prepare = {},
                   const std::map<std::string, std::string>& environment = {});
    // The input made so far has reached the program, and it has acted on it.
    void settle();
    // Presses the keys (X keysyms) in order and lets them go in reverse, then settles.
    void keys(const std::vector<xcb_keysym_t>& keysyms);
    void click(int x, int y);
    // Whether `vantile shortcuts` lists the line within 3 s (the file is read again on a change).
    bool listsShortcut(const std::string& line);

    Desktop desktop;
    std::unique_ptr<InputInjector> input;
    std::unique_ptr<ClientWindow> window;
    std::filesystem::path configDir;
    std::unique_ptr<VantileProgram> vantile;
    Rect start;
};

// The session most tests share: Openbox on one 1920x1080 monitor.
struct OpenboxSession : ::testing::Test, ProgramSession {
    OpenboxSession() : ProgramSession(WmKind::Openbox, 1920, 1080) {}
};

} // namespace vantile::test
