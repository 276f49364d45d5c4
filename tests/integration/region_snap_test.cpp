// Region commands in-process against a real X server, window manager and client window: the
// product's X11 backend, region manager and window manager, with two RandR monitors.

#include <unistd.h>

#include <gtest/gtest.h>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_screen_changes.h"
#include "backends/x11/x11_screens.h"
#include "backends/x11/x11_window_backend.h"
#include "core/regions/builtin_presets.h"
#include "core/regions/region_manager.h"
#include "core/windows/window_manager.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/rect_printing.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

class SleepingClock : public Clock {
  public:
    void sleepMicroseconds(std::uint32_t micros) override { ::usleep(micros); }
    void runAfter(double, std::function<void()> task) override { tasks.push_back(task); }
    std::vector<std::function<void()>> tasks;
};

const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1080}};

std::vector<std::string> labels(const std::vector<Region>& regions) {
    std::vector<std::string> out;
    for (const auto& region : regions) {
        out.push_back(region.label.value_or("-"));
    }
    return out;
}

class RegionSnap : public ::testing::Test {
  protected:
    RegionSnap()
        : desktop(Desktop::start(WmKind::Openbox, 3920, 1080, twoMonitors)),
          connection(X11Connection::open(desktop.server->display().c_str())) {
        connection->setStrictErrors(true);
        ClientWindowOptions options;
        options.x = 1800;
        options.y = 300;
        window = ClientWindow::create(*desktop.server, options);
        window->map();
        window->activate();
    }

    Screen screen(std::size_t index) { return screens.screens().at(index); }
    // The second monitor's thirds, in root pixels (no panels, so its whole area is usable).
    Rect third(int i) { return Rect{1920.0 + 400 * i, 0, 400, 1080}; }
    void expectAt(const Rect& target, const char* step) {
        EXPECT_TRUE(window->waitForVisibleFrame(target, 2000ms, 1.0))
            << step << ": expected " << describe(target) << ", stands at "
            << describe(window->lastSeenFrame());
    }

    Desktop desktop;
    std::unique_ptr<X11Connection> connection;
    X11Screens screens{*connection};
    X11WindowBackend backend{*connection};
    X11ScreenChanges changes{*connection};
    SleepingClock clock;
    TempDir config;
    RegionManager regions{screens, changes, RegionPersistence(config.path())};
    vantile::WindowManager manager{std::make_unique<AccessibilityManager>(backend, clock),
                                   std::make_unique<ScreenDetection>(screens), regions};
    std::unique_ptr<ClientWindow> window;
};

TEST_F(RegionSnap, PlacesStepsAndMovesBetweenTheThirdsOfTheSecondMonitor) {
    ASSERT_EQ(screens.screens().size(), 2u);
    regions.applyPreset(builtInPresets()[1], screen(1));
    for (int i = 0; i < 3; ++i) {
        manager.snapToRegion(i);
        expectAt(third(i), "snapToRegion");
    }
    manager.cycleRegion(true);
    expectAt(third(0), "forward from the last");
    manager.cycleRegion(false);
    expectAt(third(2), "backward from the first");
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    expectAt(third(1), "left from the right third");
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    expectAt(third(0), "left again");
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    manager.moveToAdjacentRegion(WindowAction::rightHalf);
    expectAt(third(1), "nothing further left; then right");
    EXPECT_TRUE(regions.regionsForScreen(screen(0)).empty()) << "the first monitor has no layout";
}

TEST_F(RegionSnap, RememberedPresetsAreAppliedAgainWhenAMonitorIsAdded) {
    regions.applyPreset(builtInPresets()[1], screen(1));
    // An edit that was never saved, and a preset remembered for a monitor not yet connected.
    regions.activeLayouts().insert_or_assign(RegionManager::screenKey(screen(1)),
                                             RegionLayout{builtInTree(builtInPresets()[2])});
    regions.persistence().setActivePreset(builtInPresets()[0].id, "3120_480_800_600");

    auto monitors = twoMonitors;
    monitors.push_back({"EXTRA", 3120, 0, 800, 600});
    desktop.server->setMonitors(monitors);
    const bool reapplied = waitUntil(
        [&] {
            connection->drainEvents();
            return screens.screens().size() == 3 &&
                   labels(regions.regionsForScreen(screen(1))) ==
                       std::vector<std::string>{"Left", "Center", "Right"};
        },
        3000ms);
    ASSERT_TRUE(reapplied) << labels(regions.regionsForScreen(screen(1))).size() << " regions";
    EXPECT_EQ(RegionManager::screenKey(screen(2)), "3120_480_800_600");
    EXPECT_EQ(labels(regions.regionsForScreen(screen(2))),
              (std::vector<std::string>{"Left", "Right"}));

    // And the window lands on the new monitor's layout.
    manager.snapToRegion(0);
    expectAt(third(0), "still on the second monitor");
}

} // namespace
} // namespace vantile::test
