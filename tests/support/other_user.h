#pragma once

// Running a piece of a test as another user (nobody), to see how the program treats a stranger.
// The piece keeps the right to open any file, so that it reaches what only the folder's
// permissions would otherwise hide, and the program's own checks are what is tested.

#include <functional>
#include <optional>

namespace vantile::test {

// Whether this process may act as another user (it runs as root).
bool canActAsOtherUser();

// Runs the body in a child process as user and group nobody (65534) with CAP_DAC_OVERRIDE, also
// for programs it executes; the body's result is the child's exit code. None when the child did
// not end within 10 s or was killed.
std::optional<int> runAsOtherUser(const std::function<int()>& body);

} // namespace vantile::test
