#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantile {

// The largest configuration file read. A preset of a thousand regions takes under a megabyte,
// and parsing costs memory many times the size of what is parsed: the limit keeps a hostile file
// to a few tens of megabytes.
inline constexpr std::size_t maxConfigFileSize = 1024 * 1024;

// The whole file, or none when it cannot be read or is larger than the limit.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxSize = maxConfigFileSize);

// Gives the memory freed after reading large files back to the system.
void releaseFreedMemory();

// Replaces the file as a whole: the content goes to a temporary file in the same folder, which is
// flushed to disk and renamed over the target. A reader sees the old file or the new one, never a
// part. False (and the old file untouched) on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content);

} // namespace vantile
