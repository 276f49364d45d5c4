#include "support/program_wait.h"

#include <csignal>

#include "support/wait.h"

namespace vantile::test {

namespace {

std::string verdict(const Process& program) {
    if (program.running()) {
        return "it is still running, so it hung or is too slow";
    }
    const auto signal = program.termSignal();
    if (!signal) {
        return "it exited";
    }
    const bool stopped = *signal == SIGTERM || *signal == SIGKILL || *signal == SIGINT;
    return stopped ? "it was killed" : "it crashed";
}

} // namespace

bool waitWhileRunning(const Process& program, const std::function<bool()>& condition,
                      std::chrono::milliseconds deadline) {
    bool ended = false;
    const bool held = waitUntil(
        [&] {
            ended = !program.running();
            return condition() || ended;
        },
        deadline);
    return held && (!ended || condition());
}

std::string timeoutMessage(std::string_view waitedFor, std::chrono::milliseconds deadline,
                           const Process& program) {
    return "waited up to " + std::to_string(deadline.count()) + " ms for " +
           std::string(waitedFor) + "; " + verdict(program) + ": " + program.report();
}

} // namespace vantile::test
