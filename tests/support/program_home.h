#pragma once

// A private home for a program started by a test: HOME, the XDG folders and a runtime folder of
// mode 0700, all in a temporary directory that goes away with it, and an environment that keeps
// the program off the developer's own desktop session.

#include <filesystem>

#include "support/process.h"
#include "support/temp_dir.h"

namespace vantile::test {

class ProgramHome {
  public:
    ProgramHome();

    const std::filesystem::path& home() const { return home_; }
    const std::filesystem::path& configHome() const { return configHome_; }
    const std::filesystem::path& runtimeDir() const { return runtimeDir_; }
    const std::filesystem::path& root() const { return dir_.path(); }

    // Points the program at this home and at the display, and removes variables that would lead
    // it to another session (Wayland, the session bus, the desktop's theme).
    void applyTo(ProcessOptions& options, const std::string& display) const;

  private:
    TempDir dir_;
    std::filesystem::path home_;
    std::filesystem::path configHome_;
    std::filesystem::path cacheHome_;
    std::filesystem::path dataHome_;
    std::filesystem::path runtimeDir_;
};

} // namespace vantile::test
