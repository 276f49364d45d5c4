// The `vantile` command: hands URLs and commands to the instance running for this display, or
// becomes that instance by starting the program proper. It links neither Qt nor X11 so that
// forwarding a command costs almost nothing.

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ipc/command_line.h"
#include "ipc/instance_client.h"
#include "ipc/runtime_paths.h"

using namespace vantile;

namespace {

constexpr auto pingTimeout = std::chrono::seconds(10);
constexpr auto commandTimeout = std::chrono::seconds(10);
// The instance acknowledges a URL as soon as it has read it, on a thread that moving windows does
// not hold up; clients that hold its connections without sending give way within a second.
constexpr auto ackTimeout = std::chrono::seconds(5);

int fail(const std::string& message, int code = 1) {
    std::fprintf(stderr, "vantile: %s\n", message.c_str());
    return code;
}

std::string programDirectory() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return {};
    }
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

// Next to this binary in a build tree; in the library folder once installed, found from this
// binary's place first so that an installed tree can be moved.
std::string guiProgram() {
    const std::string directory = programDirectory();
    for (const std::string& candidate :
         {directory + "/vantile-gui", directory + "/" VANTILE_LIBEXEC_RELATIVE "/vantile-gui"}) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::string(VANTILE_LIBEXEC_DIR) + "/vantile-gui";
}

int becomeInstance(const CommandLine& command) {
    const std::string program = guiProgram();
    std::vector<std::string> args{program};
    if (command.strictXErrors) {
        args.push_back("--strict-x-errors");
    }
    if (command.desktop) {
        args.insert(args.end(), {"--desktop", *command.desktop});
    }
    if (command.url) {
        args.push_back(*command.url);
    }
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    return fail("cannot start " + program + ": " + std::strerror(errno));
}

int ping(const RuntimePaths& paths) {
    std::string error;
    switch (sendToInstance(paths.socket, {InstanceMessage::Kind::ping, {}}, pingTimeout, &error)) {
    case SendResult::delivered:
        return 0;
    case SendResult::noInstance:
        return fail("no instance is running for this display");
    case SendResult::tooLong:
    case SendResult::failed:
        break;
    }
    return fail(error);
}

// Commands act on a running instance only: starting one just to list or quit it makes no sense.
int runCommand(const RuntimePaths& paths, const CommandLine& command) {
    std::string reply;
    std::string error;
    const InstanceMessage message{InstanceMessage::Kind::command, joinWords(command.commandWords)};
    switch (askInstance(paths.socket, message, commandTimeout, &reply, &error)) {
    case SendResult::delivered:
        break;
    case SendResult::noInstance:
        return fail("no instance is running for this display");
    case SendResult::tooLong:
        return fail("the command is too long to send (" + error + "); nothing was sent", 2);
    case SendResult::failed:
        return fail(error);
    }
    const auto answer = decodeReply(reply);
    if (!answer) {
        return fail("the running instance gave an answer this vantile cannot read");
    }
    std::fputs(answer->notes.c_str(), stderr);
    std::fputs(answer->text.c_str(), answer->exitCode == 0 ? stdout : stderr);
    return answer->exitCode;
}

int forwardOrStart(const RuntimePaths& paths, const CommandLine& command) {
    const std::string url = command.url.value_or("vantile://show");
    std::string error;
    switch (sendToInstance(paths.socket, {InstanceMessage::Kind::url, url}, ackTimeout, &error)) {
    case SendResult::delivered:
        return 0;
    case SendResult::noInstance:
        return becomeInstance(command);
    case SendResult::tooLong:
        return fail("the URL is too long to send (" + error + "); nothing was sent", 2);
    case SendResult::failed:
        break;
    }
    return fail(error);
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine command = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.kind) {
    case CommandLine::Kind::help:
        std::fputs(usageText().c_str(), stdout);
        return 0;
    case CommandLine::Kind::version:
        std::printf("vantile %s\n", VANTILE_VERSION);
        return 0;
    case CommandLine::Kind::invalid:
        return fail(command.error + "\nTry 'vantile --help' for more information.", 2);
    case CommandLine::Kind::ping:
    case CommandLine::Kind::command:
    case CommandLine::Kind::run:
        break;
    }
    std::string error;
    const auto paths = runtimePathsFromEnvironment(&error);
    if (!paths) {
        return fail(error);
    }
    switch (command.kind) {
    case CommandLine::Kind::ping:
        return ping(*paths);
    case CommandLine::Kind::command:
        return runCommand(*paths, command);
    default:
        return forwardOrStart(*paths, command);
    }
}
