#pragma once

// Waiting on something a running program should bring about, and saying why it did not happen:
// whether the program crashed, exited or hung.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "support/process.h"

namespace vantile::test {

// Waits for the condition while the program runs; gives up as soon as the program has ended
// (the condition is checked once more then).
bool waitWhileRunning(const Process& program, const std::function<bool()>& condition,
                      std::chrono::milliseconds deadline);

// "<what> did not happen within 2000 ms: vantile-gui crashed (pid 12) killed by signal 11
// (SIGSEGV)" followed by the end of its output; or "... is still running: it hung or is too slow".
std::string timeoutMessage(std::string_view waitedFor, std::chrono::milliseconds deadline,
                           const Process& program);

} // namespace vantile::test
