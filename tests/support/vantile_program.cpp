#include "support/vantile_program.h"

#include <unistd.h>

#include <algorithm>

#include "support/wait.h"

namespace vantile::test {

ProcessOptions VantileProgram::commandOptions(const std::vector<std::string>& args) const {
    ProcessOptions options;
    options.argv = {std::string(VANTILE_BINARY_DIR) + "/vantile"};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.environment = session_;
    home_.applyTo(options, display_);
    return options;
}

std::unique_ptr<VantileProgram>
VantileProgram::start(XServer& server, std::vector<std::string> extraArgs,
                      const std::function<void(const ProgramHome&)>& prepare,
                      const std::map<std::string, std::string>& environment) {
    std::unique_ptr<VantileProgram> program(new VantileProgram(server.display()));
    if (prepare) {
        prepare(program->home_);
    }
    extraArgs.insert(extraArgs.begin(), "--strict-x-errors");
    program->launch(extraArgs, environment);
    return program;
}

std::unique_ptr<VantileProgram> VantileProgram::startOn(std::map<std::string, std::string> session,
                                                        std::vector<std::string> extraArgs) {
    std::unique_ptr<VantileProgram> program(new VantileProgram("", std::move(session)));
    program->launch(extraArgs, {});
    return program;
}

void VantileProgram::launch(std::vector<std::string> args,
                            const std::map<std::string, std::string>& environment) {
    auto options = commandOptions(args);
    options.environment.insert(environment.begin(), environment.end());
    options.outputFile = home_.root() / "instance.log";
    instance_ = std::make_unique<Process>(options);
    if (!waitUntil([&] { return !running() || ping(); }, 10000ms, 20ms) || !running()) {
        throw HarnessError("vantile did not start answering: " + report());
    }
}

CommandResult VantileProgram::run(const std::vector<std::string>& args) const {
    auto options = commandOptions(args);
    options.outputFile = home_.root() / ("command-" + std::to_string(gettid()) + ".log");
    Process command(options);
    CommandResult result{command.waitExit(10000ms), {}};
    result.output = readTextFile(*options.outputFile);
    if (!result.exitCode) {
        result.output += "[" + command.describe() + "]";
    }
    return result;
}

void VantileProgram::snap(const std::string& action) const {
    if (const auto result = run({"snap", action}); result.exitCode != 0 || !ping()) {
        throw HarnessError("vantile snap " + action + " failed: " + result.output + report());
    }
}

// ":N" -> "N.sock", as the program names it.
std::filesystem::path VantileProgram::socketPath() const {
    return home_.runtimeDir() / "vantile" / (display_.substr(display_.find(':') + 1) + ".sock");
}

ProgramSession::ProgramSession(WmKind wm, int width, int height,
                               const std::vector<WantedMonitor>& monitors,
                               const std::function<void(ProgramSession&)>& prepare,
                               const std::map<std::string, std::string>& environment)
    : desktop(Desktop::start(wm, width, height, monitors)),
      input(std::make_unique<InputInjector>(*desktop.server)),
      window(ClientWindow::create(*desktop.server, {.x = 300, .y = 200})) {
    window->map();
    window->activate();
    const auto prepared = [&](const ProgramHome& home) {
        configDir = home.configHome() / "VantileWindowManager";
        if (prepare) {
            prepare(*this);
        }
    };
    vantile = VantileProgram::start(*desktop.server, {}, prepared, environment);
    start = window->visibleFrameInRoot();
}

void ProgramSession::settle() {
    input->sync();
    if (!vantile->ping()) {
        throw HarnessError("vantile stopped answering: " + vantile->report());
    }
}

void ProgramSession::keys(const std::vector<xcb_keysym_t>& keysyms) {
    std::vector<xcb_keycode_t> codes(keysyms.size());
    std::ranges::transform(keysyms, codes.begin(), [&](auto sym) { return input->keycodeOf(sym); });
    input->chord(codes);
    settle();
}

void ProgramSession::click(int x, int y) {
    input->moveTo(x, y);
    input->pressButton(1);
    input->releaseButton(1);
    settle();
}

bool ProgramSession::listsShortcut(const std::string& line) {
    return waitUntil(
        [&] { return vantile->run({"shortcuts"}).output.find(line) != std::string::npos; }, 3000ms);
}

} // namespace vantile::test
