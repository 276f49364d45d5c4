#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantile {

// The whole file, or none when it cannot be read or is larger than the limit.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxSize = 16 * 1024 * 1024);

// Replaces the file as a whole: the content goes to a temporary file in the same folder, which is
// flushed to disk and renamed over the target. A reader sees the old file or the new one, never a
// part. False (and the old file untouched) on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content);

} // namespace vantile
