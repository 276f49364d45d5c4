#pragma once

// Reading and writing small text files (captured program output, configuration files).

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantile::test {

// The whole file, or an empty string when it cannot be read.
std::string readTextFile(const std::filesystem::path& path);

// Replaces the file's contents; throws HarnessError when it cannot be written.
void writeTextFile(const std::filesystem::path& path, std::string_view text);

// The last maxChars characters of the text, marked as cut when something was left off.
std::string tailOf(const std::string& text, std::size_t maxChars);

} // namespace vantile::test
