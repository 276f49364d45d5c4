#include "support/child_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>

#include "base/unique_fd.h"
#include "support/harness_error.h"

extern char** environ;

namespace vantile::test {

namespace {

// Descriptors handed to a child are first copied to this number or above, out of the way of the
// numbers they get in the child.
constexpr int kFirstScratchDescriptor = 100;

class FileActions {
  public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
  public:
    explicit SpawnAttributes(bool ownProcessGroup) {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (ownProcessGroup) {
            flags |= POSIX_SPAWN_SETPGROUP;
            posix_spawnattr_setpgroup(&attributes_, 0);
        }
        posix_spawnattr_setflags(&attributes_, flags);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

std::vector<std::string> childEnvironment(const ProcessOptions& options) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos) {
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& name : options.removedEnvironment) {
        variables.erase(name);
    }
    for (const auto& [name, value] : options.environment) {
        variables[name] = value;
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : variables) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

UniqueFd openOutput(const std::filesystem::path& path) {
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.valid()) {
        throw HarnessError("cannot open " + path.string() + " for output: " + std::strerror(errno));
    }
    return fd;
}

// Sets up standard input and output; the opened files must stay open until the spawn.
std::vector<UniqueFd> redirectStandardStreams(const ProcessOptions& options, FileActions& actions) {
    std::vector<UniqueFd> opened;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (options.stdoutFile) {
        opened.push_back(openOutput(*options.stdoutFile));
        posix_spawn_file_actions_adddup2(actions.get(), opened.back().get(), STDOUT_FILENO);
    }
    if (options.stderrFile) {
        if (options.stderrFile != options.stdoutFile) {
            opened.push_back(openOutput(*options.stderrFile));
        }
        posix_spawn_file_actions_adddup2(actions.get(), opened.back().get(), STDERR_FILENO);
    }
    return opened;
}

// Hands descriptors to the child under the numbers asked for, and closes every other one.
std::vector<UniqueFd> passDescriptors(const ProcessOptions& options, FileActions& actions) {
    std::vector<UniqueFd> copies;
    int highest = STDERR_FILENO;
    for (const auto& [here, inChild] : options.passedDescriptors) {
        if (inChild <= STDERR_FILENO || inChild >= kFirstScratchDescriptor) {
            throw HarnessError("cannot hand a descriptor to a child as number " +
                               std::to_string(inChild));
        }
        copies.emplace_back(fcntl(here, F_DUPFD_CLOEXEC, kFirstScratchDescriptor));
        if (!copies.back().valid()) {
            throw HarnessError(std::string("cannot copy a descriptor: ") + std::strerror(errno));
        }
        posix_spawn_file_actions_adddup2(actions.get(), copies.back().get(), inChild);
        highest = std::max(highest, inChild);
    }
    posix_spawn_file_actions_addclosefrom_np(actions.get(), highest + 1);
    return copies;
}

// The program's file, looked up in the child's PATH when its name has no slash.
std::optional<std::string> findProgram(const std::string& name,
                                       const std::vector<std::string>& environment) {
    if (name.find('/') != std::string::npos) {
        return access(name.c_str(), X_OK) == 0 ? std::optional(name) : std::nullopt;
    }
    constexpr std::string_view kPathEntry = "PATH=";
    std::string path = "/usr/local/bin:/usr/bin:/bin";
    for (const auto& entry : environment) {
        if (entry.starts_with(kPathEntry)) {
            path = entry.substr(kPathEntry.size());
        }
    }
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const std::string dir = end > start ? path.substr(start, end - start) : ".";
        if (const std::string file = dir + "/" + name; access(file.c_str(), X_OK) == 0) {
            return file;
        }
        start = end + 1;
    }
    return std::nullopt;
}

// The command line to start: the program's, behind setpriv when it is to end with its starter.
std::vector<std::string> commandLine(const ProcessOptions& options,
                                     const std::vector<std::string>& environment) {
    const auto program = findProgram(options.argv.front(), environment);
    if (!program) {
        throw HarnessError("cannot start " + options.argv.front() + ": no such program");
    }
    std::vector<std::string> line;
    if (options.endsWithStarter) {
        const auto setpriv = findProgram("setpriv", environment);
        if (!setpriv) {
            throw HarnessError("cannot start " + options.argv.front() +
                               " to end with the test: setpriv (util-linux) is missing");
        }
        line = {*setpriv, "--pdeathsig", "KILL", "--"};
    }
    line.push_back(*program);
    line.insert(line.end(), options.argv.begin() + 1, options.argv.end());
    return line;
}

} // namespace

pid_t spawnChild(const ProcessOptions& options) {
    if (options.argv.empty()) {
        throw HarnessError("cannot start a process without a program name");
    }
    FileActions actions;
    const auto outputs = redirectStandardStreams(options, actions);
    const auto passed = passDescriptors(options, actions);
    SpawnAttributes attributes(options.ownProcessGroup);
    auto environment = childEnvironment(options);
    auto arguments = commandLine(options, environment);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, arguments.front().c_str(), actions.get(), attributes.get(),
                                  pointersTo(arguments).data(), pointersTo(environment).data());
    if (error != 0) {
        throw HarnessError("cannot start " + options.argv.front() + ": " + std::strerror(error));
    }
    return pid;
}

} // namespace vantile::test
