#pragma once

// The in-memory desktop with its regions kept in a temporary folder and the window manager over
// both, for the tests of everything above the platform.

#include <gtest/gtest.h>

#include <sstream>

#include "app/app_delegate.h"
#include "core/regions/builtin_presets.h"
#include "core/windows/window_manager.h"
#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"

namespace vantile::test {

class DesktopTest : public ::testing::Test {
  protected:
    // A 1440 x 900 primary below a 25-point bar: visible (0, 25, 1440, 875) in window space.
    Screen addLaptop() { return desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875}); }
    Rect frame(std::uint64_t id) const { return desktop.windows.at(id).frame; }
    // The preset chosen on each screen, by id text.
    std::map<std::string, std::string> chosen() const {
        std::map<std::string, std::string> out;
        for (const auto& [key, id] : regions.activePresetIDs()) {
            out[key] = id.text();
        }
        return out;
    }

    FakeDesktop desktop;
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    WindowManager manager{desktop, std::make_unique<ScreenDetection>(desktop), regions};
    NoSnapPreview preview;
};

inline const RegionPreset& preset(std::size_t index) {
    return builtInPresets().at(index); // 0 halves, 1 thirds, 2 quarters, 3 coding
}

// "x,y wxh", for rows of tables that fit on a line.
template <class R> std::string str(const R& r) {
    std::ostringstream out;
    out << r.x << "," << r.y << " " << r.width << "x" << r.height;
    return out.str();
}

inline std::vector<std::string> labels(const std::vector<Region>& regions) {
    std::vector<std::string> out;
    for (const auto& region : regions) {
        out.push_back(region.label.value_or("-"));
    }
    return out;
}

} // namespace vantile::test
