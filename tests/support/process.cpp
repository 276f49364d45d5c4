#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "support/harness_error.h"
#include "support/text_files.h"
#include "support/unique_fd.h"

extern char** environ;

namespace vantile::test {

namespace {

// A wait status that waitpid never gives: the child was reaped by someone else.
constexpr int kStatusUnknown = -1;
// Descriptors handed to a child are first copied to this number or above, out of the way of the
// numbers they get in the child.
constexpr int kFirstScratchDescriptor = 100;
constexpr std::size_t kReportedOutputChars = 4000;

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
    if (!fd) {
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
        if (!copies.back()) {
            throw HarnessError(std::string("cannot copy a descriptor: ") + std::strerror(errno));
        }
        posix_spawn_file_actions_adddup2(actions.get(), copies.back().get(), inChild);
        highest = std::max(highest, inChild);
    }
    posix_spawn_file_actions_addclosefrom_np(actions.get(), highest + 1);
    return copies;
}

std::string signalName(int signal) {
    const char* abbreviation = sigabbrev_np(signal);
    return abbreviation != nullptr ? std::string("SIG") + abbreviation : "unknown signal";
}

} // namespace

std::string describeWaitStatus(int status) {
    if (status == kStatusUnknown) {
        return "ended (its status was collected elsewhere)";
    }
    if (WIFEXITED(status)) {
        return "exited with " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return "killed by signal " + std::to_string(signal) + " (" + signalName(signal) + ")";
    }
    return "ended with wait status " + std::to_string(status);
}

Process::Process(ProcessOptions options) : options_(std::move(options)) {
    if (options_.argv.empty()) {
        throw HarnessError("cannot start a process without a program name");
    }
    FileActions actions;
    const auto outputs = redirectStandardStreams(options_, actions);
    const auto passed = passDescriptors(options_, actions);
    SpawnAttributes attributes(options_.ownProcessGroup);
    auto arguments = options_.argv;
    auto environment = childEnvironment(options_);
    const int error =
        posix_spawnp(&pid_, arguments.front().c_str(), actions.get(), attributes.get(),
                     pointersTo(arguments).data(), pointersTo(environment).data());
    if (error != 0) {
        pid_ = -1;
        throw HarnessError("cannot start " + options_.argv.front() + ": " + std::strerror(error));
    }
}

Process::~Process() {
    terminate();
}

Process::Process(Process&& other) noexcept
    : options_(std::move(other.options_)), pid_(std::exchange(other.pid_, -1)),
      waitStatus_(std::exchange(other.waitStatus_, std::nullopt)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        terminate();
        options_ = std::move(other.options_);
        pid_ = std::exchange(other.pid_, -1);
        waitStatus_ = std::exchange(other.waitStatus_, std::nullopt);
    }
    return *this;
}

bool Process::reap(bool block) const {
    if (waitStatus_ || pid_ < 0) {
        return true;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid_) {
        waitStatus_ = status;
    } else if (result < 0) {
        waitStatus_ = kStatusUnknown;
    }
    return waitStatus_.has_value();
}

bool Process::running() const {
    return !reap(false);
}

std::optional<int> Process::waitExit(std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    auto interval = 1ms;
    while (!reap(false) && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(interval);
        interval = std::min(interval * 2, std::chrono::milliseconds(10));
    }
    if (waitStatus_ && WIFEXITED(*waitStatus_) && *waitStatus_ != kStatusUnknown) {
        return WEXITSTATUS(*waitStatus_);
    }
    return std::nullopt;
}

std::optional<int> Process::termSignal() const {
    if (reap(false) && *waitStatus_ != kStatusUnknown && WIFSIGNALED(*waitStatus_)) {
        return WTERMSIG(*waitStatus_);
    }
    return std::nullopt;
}

void Process::sendSignal(int signal) const {
    if (pid_ < 0 || reap(false)) {
        return;
    }
    kill(options_.ownProcessGroup ? -pid_ : pid_, signal);
}

void Process::terminate(std::chrono::milliseconds grace) {
    if (pid_ < 0) {
        return;
    }
    if (!reap(false)) {
        sendSignal(SIGTERM);
        waitExit(grace);
    }
    if (!reap(false)) {
        sendSignal(SIGKILL);
        reap(true);
    }
    killGroupRemnants();
}

// Processes the program started and left behind in its group are strays: they are killed.
void Process::killGroupRemnants() const {
    if (options_.ownProcessGroup) {
        kill(-pid_, SIGKILL);
    }
}

std::string Process::describe() const {
    return reap(false) ? describeWaitStatus(*waitStatus_) : "still running";
}

std::string Process::report() const {
    std::string text = options_.argv.front() + " (pid " + std::to_string(pid_) + ") " + describe();
    std::vector<std::filesystem::path> files;
    for (const auto& file : {options_.stdoutFile, options_.stderrFile}) {
        if (file && std::find(files.begin(), files.end(), *file) == files.end()) {
            files.push_back(*file);
        }
    }
    for (const auto& file : files) {
        text += "\n--- end of its output in " + file.string() + " ---\n" +
                tailOf(readTextFile(file), kReportedOutputChars);
    }
    return text;
}

} // namespace vantile::test
