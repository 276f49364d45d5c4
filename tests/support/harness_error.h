#pragma once

// The error the test harness throws when it cannot set up or drive a real part (an X server that
// does not start, a window manager that never becomes ready, a window that is never mapped).
// GoogleTest reports its message as the test's failure.

#include <stdexcept>
#include <string>

namespace vantile::test {

using HarnessError = std::runtime_error;

} // namespace vantile::test
