#include "support/vantile_program.h"

#include <fstream>
#include <sstream>

#include "support/harness_error.h"
#include "support/paths.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {

namespace {
std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

VantileProgram::VantileProgram(std::string display, std::unique_ptr<ProgramHome> home)
    : display_(std::move(display)), home_(std::move(home)) {}

VantileProgram::~VantileProgram() {
    if (instance_) {
        instance_->terminate();
    }
}

ProcessOptions VantileProgram::commandOptions(const std::vector<std::string>& args) const {
    ProcessOptions options;
    options.argv = {programPath("vantile").string()};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    home_->applyTo(options, display_);
    return options;
}

std::unique_ptr<VantileProgram>
VantileProgram::start(XServer& server, std::vector<std::string> extraArgs,
                      const std::function<void(const ProgramHome&)>& prepare,
                      const std::map<std::string, std::string>& environment) {
    std::unique_ptr<VantileProgram> program(
        new VantileProgram(server.display(), std::make_unique<ProgramHome>()));
    if (prepare) {
        prepare(*program->home_);
    }
    std::vector<std::string> args{"--strict-x-errors"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    auto options = program->commandOptions(args);
    options.environment.insert(environment.begin(), environment.end());
    options.stdoutFile = program->home_->root() / "instance.log";
    options.stderrFile = options.stdoutFile;
    program->instance_ = std::make_unique<Process>(options);
    const bool answered =
        waitUntil([&] { return !program->instance_->running() || program->ping(); }, 10000ms, 20ms);
    if (!answered || !program->instance_->running()) {
        throw HarnessError("vantile did not start answering: " + program->instance_->report());
    }
    return program;
}

CommandResult VantileProgram::run(const std::vector<std::string>& args) const {
    auto options = commandOptions(args);
    const auto log = home_->root() / ("command-" + std::to_string(::getpid()) + ".log");
    options.stdoutFile = log;
    options.stderrFile = log;
    Process command(options);
    CommandResult result;
    result.exitCode = command.waitExit(10000ms);
    result.output = readAll(log);
    if (!result.exitCode) {
        result.output += "[" + command.describe() + "]";
    }
    return result;
}

std::filesystem::path VantileProgram::socketPath() const {
    // ":N" -> "N.sock", as the program names it.
    return home_->runtimeDir() / "vantile" / (display_.substr(display_.find(':') + 1) + ".sock");
}

bool VantileProgram::ping() const {
    const auto result = run({"--ping"});
    return result.exitCode == 0;
}

void VantileProgram::snap(const std::string& action) const {
    const auto result = run({"snap", action});
    if (result.exitCode != 0) {
        throw HarnessError("vantile snap " + action + " failed: " + result.output);
    }
    if (!ping()) {
        throw HarnessError("vantile did not answer after snap " + action + ": " + report());
    }
}

} // namespace vantile::test
