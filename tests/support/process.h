#pragma once

// Child programs of a test, and the private home a program under test runs in.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace vantile::test {

using namespace std::chrono_literals;

struct ProcessOptions {
    // The program is looked up in PATH when it has no slash.
    std::vector<std::string> argv{};
    // Variables added to (or replacing) this process's environment.
    std::map<std::string, std::string> environment{};
    // Where standard output and standard error both go; inherited when not given.
    std::optional<std::filesystem::path> outputFile{};
    // Descriptors of this process handed to the child: {descriptor here, number in the child}.
    std::vector<std::pair<int, int>> passedDescriptors{};
    // Whether the kernel kills the child when the thread that started it ends (through setpriv);
    // benchmarks start programs directly, as a shell would, so that the wrapper costs nothing.
    bool endsWithStarter = true;
};

// A child started with posix_spawn in a process group of its own. The kernel kills it when the
// thread that started it ends (a crashed test), and the destructor stops its group (SIGTERM, then
// SIGKILL) and reaps it, so that no test leaves a stray process behind.
class Process {
  public:
    // Throws HarnessError when the program cannot be started.
    explicit Process(ProcessOptions options);
    ~Process() { terminate(); }
    Process(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool running() const { return !reap(false); }
    pid_t pid() const { return pid_; }
    // The exit code; none when it still runs at the deadline or was ended by a signal.
    std::optional<int> waitExit(std::chrono::milliseconds deadline);
    void terminate();
    // "exited with 3", "killed by signal 11", "still running".
    std::string describe() const;
    // For failure messages: the program, how it ended, and the end of its output.
    std::string report() const;

  private:
    bool reap(bool block) const;

    ProcessOptions options_;
    pid_t pid_ = -1;
    mutable std::optional<int> waitStatus_;
};

// The whole file, or an empty string when it cannot be read.
std::string readTextFile(const std::filesystem::path& path);

// HOME, the XDG folders and a runtime folder (0700) in a temporary directory that goes away with
// it, for a program started by a test.
class ProgramHome {
  public:
    ProgramHome();
    const std::filesystem::path& root() const { return dir_.path(); }
    std::filesystem::path configHome() const { return root() / "home/.config"; }
    std::filesystem::path runtimeDir() const { return root() / "runtime"; }
    // Points the program at this home and the display (variables set before stay).
    void applyTo(ProcessOptions& options, const std::string& display) const;

  private:
    TempDir dir_{"vantile-home"};
};

} // namespace vantile::test
