#pragma once

// Starting a child with posix_spawn as its options say: environment, command line, standard
// streams, handed-over descriptors, process group, and its end with the thread that started it.

#include <sys/types.h>

#include "support/process.h"

namespace vantile::test {

// Starts the child and gives its pid; throws HarnessError when it cannot be started.
pid_t spawnChild(const ProcessOptions& options);

} // namespace vantile::test
