#pragma once

// The real vantile binaries, run against a test's X server with a private home: the long-running
// instance, and the `vantile` command that talks to it.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/program_home.h"

namespace vantile::test {

class XServer;

// The result of one run of the `vantile` command.
struct CommandResult {
    std::optional<int> exitCode;
    std::string output; // standard output and standard error together
};

class VantileProgram {
  public:
    // Starts `vantile --strict-x-errors` (which becomes the instance), with the variables added
    // to its environment, and waits until it answers a ping; throws HarnessError, saying whether
    // it crashed or hung, when it does not.
    static std::unique_ptr<VantileProgram>
    start(XServer& server, std::vector<std::string> extraArgs = {},
          const std::function<void(const ProgramHome&)>& prepare = {},
          const std::map<std::string, std::string>& environment = {});
    ~VantileProgram();

    // Runs `vantile ARGS...` to its end (with a deadline) in the instance's environment.
    CommandResult run(const std::vector<std::string>& args) const;
    // `vantile snap ACTION`, then a ping, so that the move has been carried out on return;
    // throws HarnessError when either fails.
    void snap(const std::string& action) const;
    // True when the instance answered a ping (it has handled everything sent before).
    bool ping() const;

    bool running() const { return instance_->running(); }
    // Where the instance listens.
    std::filesystem::path socketPath() const;
    std::string report() const { return instance_->report(); }
    const Process& instance() const { return *instance_; }
    ProcessOptions commandOptions(const std::vector<std::string>& args) const;

  private:
    VantileProgram(std::string display, std::unique_ptr<ProgramHome> home);

    std::string display_;
    std::unique_ptr<ProgramHome> home_;
    std::unique_ptr<Process> instance_;
};

} // namespace vantile::test
