// Feeds arbitrary bytes to the reader of the per-screen preset choice. Every change of one
// screen's choice reads the file, edits the map and writes it back, so whatever the reader accepts
// must come back unchanged from a write and a second read; a refusal must come with a reason.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/regions/region_json.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto read = vantile::readActiveConfigDocument(text);
    if (!read.value) {
        require(!read.error.path.empty() && !read.error.description.empty());
        return 0;
    }
    const std::string written = vantile::writeActiveConfigDocument(*read.value);
    const auto again = vantile::readActiveConfigDocument(written);
    require(again.value.has_value());
    require(*again.value == *read.value);
    require(vantile::writeActiveConfigDocument(*again.value) == written);
    return 0;
}
