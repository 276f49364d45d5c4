#include "support/process.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "support/child_spawn.h"
#include "support/text_files.h"

namespace vantile::test {

namespace {

// A wait status that waitpid never gives: the child was reaped by someone else.
constexpr int kStatusUnknown = -1;
constexpr std::size_t kReportedOutputChars = 4000;

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

Process::Process(ProcessOptions options)
    : options_(std::move(options)), pid_(spawnChild(options_)) {}

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
    if (options_.argv.empty()) {
        return "no process";
    }
    std::string text = options_.argv.front() + " (pid " + std::to_string(pid_) + ") " + describe();
    std::vector<std::filesystem::path> files;
    for (const auto& file : {options_.stdoutFile, options_.stderrFile}) {
        if (file && std::find(files.begin(), files.end(), *file) == files.end()) {
            files.push_back(*file);
        }
    }
    for (const auto& file : files) {
        const std::string output = readTextFile(file);
        text += "\n--- end of its output in " + file.string() + " ---\n" +
                (output.empty() ? "(nothing)" : tailOf(output, kReportedOutputChars));
    }
    return text;
}

} // namespace vantile::test
