#pragma once

namespace vantile {

// The long-running program: becomes the instance for this display and runs until it is quit.
int runGui(int argc, char** argv);

} // namespace vantile
