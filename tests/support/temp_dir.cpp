#include "support/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "support/harness_error.h"

namespace vantile::test {

namespace fs = std::filesystem;

TempDir::TempDir(std::string_view prefix) {
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        throw HarnessError("cannot create a temporary directory " + pattern + ": " +
                           std::strerror(errno));
    }
    path_ = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path TempDir::makeSubdir(const fs::path& relative, fs::perms permissions) const {
    const fs::path dir = path_ / relative;
    fs::create_directories(dir);
    fs::permissions(dir, permissions, fs::perm_options::replace);
    return dir;
}

} // namespace vantile::test
