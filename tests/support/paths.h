#pragma once

// Where the tests find their data files and the programs the build made.

#include <filesystem>
#include <string_view>

namespace vantile::test {

// A file below tests/data of the source tree.
std::filesystem::path testDataPath(std::string_view relative);

// A program of the build tree, such as "vantile" or "vantile-gui".
std::filesystem::path programPath(std::string_view name);

} // namespace vantile::test
