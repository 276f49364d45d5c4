#include "support/paths.h"

namespace vantile::test {

std::filesystem::path testDataPath(std::string_view relative) {
    return std::filesystem::path(VANTILE_TEST_DATA_DIR) / relative;
}

std::filesystem::path programPath(std::string_view name) {
    return std::filesystem::path(VANTILE_BINARY_DIR) / name;
}

} // namespace vantile::test
