#pragma once

// A fresh private directory (mode 0700) that is removed with everything in it on destruction.

#include <filesystem>
#include <string_view>

namespace vantile::test {

class TempDir {
  public:
    explicit TempDir(std::string_view prefix = "vantile-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Creates a directory below this one (with any missing parents) and gives it the permissions.
    std::filesystem::path
    makeSubdir(const std::filesystem::path& relative,
               std::filesystem::perms permissions = std::filesystem::perms::owner_all) const;

  private:
    std::filesystem::path path_;
};

} // namespace vantile::test
