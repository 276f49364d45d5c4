#pragma once

// A child program started with posix_spawn. The destructor stops it (SIGTERM, then SIGKILL after
// a grace period) and always reaps it, so no test leaves a stray process behind.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantile::test {

using namespace std::chrono_literals;

struct ProcessOptions {
    // Program and arguments; the program is looked up in PATH when it has no slash.
    std::vector<std::string> argv;
    // Variables added to (or replacing those of) this process's environment.
    std::map<std::string, std::string> environment;
    // Variables of this process's environment the child does not get.
    std::vector<std::string> removedEnvironment;
    // Where standard output and standard error go (the same file may be given for both); they
    // are inherited from this process when not given. Standard input is always /dev/null.
    std::optional<std::filesystem::path> stdoutFile;
    std::optional<std::filesystem::path> stderrFile;
    // Descriptors of this process handed to the child: {descriptor here, number in the child}.
    std::vector<std::pair<int, int>> passedDescriptors;
    // Runs the child in a process group of its own, so that stopping it also stops every process
    // it started.
    bool ownProcessGroup = true;
    // Has the kernel kill the child (SIGKILL, through util-linux's setpriv --pdeathsig) when the
    // thread that started it ends without stopping it: a crashed test, a death test's child. So
    // start programs that must outlive a thread from the test's main thread.
    bool endsWithStarter = true;
};

class Process {
  public:
    // Starts the program; throws HarnessError when it cannot be started.
    explicit Process(ProcessOptions options);
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    const ProcessOptions& options() const { return options_; }
    bool running() const;

    // Waits for the program to end: its exit code, or none when it is still running at the
    // deadline or was ended by a signal (termSignal() then tells which).
    std::optional<int> waitExit(std::chrono::milliseconds deadline);
    std::optional<int> termSignal() const;

    // Sends a signal to the program (and its process group when it has one of its own).
    void sendSignal(int signal) const;

    // SIGTERM, then SIGKILL when it has not ended within the grace period; always reaps.
    void terminate(std::chrono::milliseconds grace = 2000ms);

    // How it ended: "exited with 3", "killed by signal 11 (SIGSEGV)", "still running".
    std::string describe() const;

    // For failure messages: the program's name, how it ended, and the end of its captured output.
    std::string report() const;

  private:
    bool reap(bool block) const;
    void killGroupRemnants() const;

    ProcessOptions options_;
    pid_t pid_ = -1;
    mutable std::optional<int> waitStatus_;
};

// How a wait status from waitpid reads in a failure message.
std::string describeWaitStatus(int status);

} // namespace vantile::test
