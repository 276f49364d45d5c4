#pragma once

// Polling with a deadline, for conditions that X events or properties make true.

#include <chrono>
#include <functional>

namespace vantile::test {

using namespace std::chrono_literals;

// Checks the condition until it holds or the deadline passes; the condition is checked once more
// at the deadline. Returns whether it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline,
               std::chrono::milliseconds pollInterval = 5ms);

} // namespace vantile::test
