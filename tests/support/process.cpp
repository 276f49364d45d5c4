#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "support/xcb_handles.h"

extern char** environ;

namespace vantile::test {

namespace {

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// This process's environment with the variables added, and without those that would lead a
// child to the developer's own session (Wayland, the session bus, the desktop's theme).
std::vector<std::string> childEnvironment(const ProcessOptions& options) {
    static const std::set<std::string> dropped = {
        "WAYLAND_DISPLAY",      "WAYLAND_SOCKET",      "DBUS_SESSION_BUS_ADDRESS",
        "SESSION_MANAGER",      "XAUTHORITY",          "XDG_CURRENT_DESKTOP",
        "XDG_SESSION_TYPE",     "XDG_SESSION_DESKTOP", "DESKTOP_SESSION",
        "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE"};
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry, name = text.substr(0, text.find('='));
        if (!dropped.contains(name) && !options.environment.contains(name)) {
            result.push_back(text);
        }
    }
    for (const auto& [name, value] : options.environment) {
        result.push_back(name + "=" + value);
    }
    return result;
}

} // namespace

// setpriv (util-linux) has the kernel kill the child when the starting thread ends.
Process::Process(ProcessOptions options) : options_(std::move(options)) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (options_.outputFile) {
        posix_spawn_file_actions_addopen(&actions, 1, options_.outputFile->c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    int highest = 2;
    for (const auto& [here, inChild] : options_.passedDescriptors) {
        posix_spawn_file_actions_adddup2(&actions, here, inChild);
        highest = std::max(highest, inChild);
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, highest + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    std::vector<std::string> arguments;
    if (options_.endsWithStarter) {
        arguments = {"setpriv", "--pdeathsig", "KILL", "--"};
    }
    arguments.insert(arguments.end(), options_.argv.begin(), options_.argv.end());
    auto environment = childEnvironment(options_);
    const int error = posix_spawnp(&pid_, arguments.front().c_str(), &actions, &attributes,
                                   pointersTo(arguments).data(), pointersTo(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        throw HarnessError("cannot start " + options_.argv.front() + ": " + std::strerror(error));
    }
}

Process::Process(Process&& other) noexcept
    : options_(std::move(other.options_)), pid_(std::exchange(other.pid_, -1)),
      waitStatus_(other.waitStatus_) {}

bool Process::reap(bool block) const {
    if (waitStatus_ || pid_ < 0) {
        return true;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid_ || result < 0) {
        waitStatus_ = result == pid_ ? status : -1;
    }
    return waitStatus_.has_value();
}

std::optional<int> Process::waitExit(std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!reap(false) && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(2ms);
    }
    if (reap(false) && *waitStatus_ != -1 && WIFEXITED(*waitStatus_)) {
        return WEXITSTATUS(*waitStatus_);
    }
    return std::nullopt;
}

void Process::terminate() {
    if (pid_ < 0) {
        return;
    }
    if (!reap(false)) {
        kill(-pid_, SIGTERM);
        waitExit(2000ms);
    }
    kill(-pid_, SIGKILL); // the program, if it is still there, and strays it left in its group
    reap(true);
}

std::string Process::describe() const {
    if (!reap(false) || *waitStatus_ == -1) {
        return reap(false) ? "ended" : "still running";
    }
    return WIFSIGNALED(*waitStatus_) ? "killed by signal " + std::to_string(WTERMSIG(*waitStatus_))
                                     : "exited with " + std::to_string(WEXITSTATUS(*waitStatus_));
}

std::string Process::report() const {
    std::string text = options_.argv.front() + " (pid " + std::to_string(pid_) + ") " + describe();
    if (options_.outputFile) {
        const std::string output = readTextFile(*options_.outputFile);
        text += "\n--- the end of its output ---\n" +
                (output.size() > 4000 ? "[...]" + output.substr(output.size() - 4000) : output);
    }
    return text;
}

std::string readTextFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ProgramHome::ProgramHome() {
    for (const char* folder : {"home/.config", "home/.cache", "home/.local/share", "runtime"}) {
        dir_.makeSubdir(folder);
    }
}

void ProgramHome::applyTo(ProcessOptions& options, const std::string& display) const {
    const auto home = root() / "home";
    options.environment.merge(
        std::map<std::string, std::string>{{"DISPLAY", display},
                                           {"HOME", home},
                                           {"XDG_CONFIG_HOME", configHome()},
                                           {"XDG_CACHE_HOME", home / ".cache"},
                                           {"XDG_DATA_HOME", home / ".local/share"},
                                           {"XDG_RUNTIME_DIR", runtimeDir()},
                                           {"QT_QPA_PLATFORM", "xcb"}});
}

} // namespace vantile::test
