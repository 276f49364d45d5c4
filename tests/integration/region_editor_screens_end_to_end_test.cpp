// The region editor of the real program on two 1920x1080 monitors without a compositor: its
// toolbar is drawn under Openbox and IceWM, and at twice Qt's scale its windows cover the monitors
// in device pixels while their contents are laid out in Qt's logical pixels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>

#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/rect_printing.h"
#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {
namespace {

const std::vector<WantedMonitor> kTwoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                 {"RIGHT", 1920, 0, 1920, 1080}};
constexpr const char* kEditorTitle = "Vantile Region Editor";
constexpr const char* kToolbarTitle = "Vantile Region Editor Toolbar";

// The colours on screen in a root rect (24-bit, as the test servers run); empty when unreadable.
std::vector<std::uint32_t> rootPixels(XServer& server, const Rect& r) {
    xcb_connection_t* c = server.connection();
    auto* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, server.root(), std::int16_t(r.x),
                      std::int16_t(r.y), std::uint16_t(r.width), std::uint16_t(r.height), ~0u),
        nullptr);
    std::vector<std::uint32_t> pixels(std::size_t(r.width * r.height));
    if (!image || std::size_t(xcb_get_image_data_length(image)) < pixels.size() * 4) {
        pixels.clear();
    } else {
        std::memcpy(pixels.data(), xcb_get_image_data(image), pixels.size() * 4);
    }
    free(image);
    for (auto& pixel : pixels) {
        pixel &= 0xffffff;
    }
    return pixels;
}

class EditorOnTwoMonitors : public ::testing::TestWithParam<WmKind> {
  protected:
    void open(const std::map<std::string, std::string>& environment = {}) {
        desktop = Desktop::start(GetParam(), 3840, 1080, kTwoMonitors);
        vantile = VantileProgram::start(*desktop.server, {}, {}, environment);
        InputInjector input(*desktop.server);
        input.moveTo(900, 700); // on the first monitor, where the toolbar then goes
        input.sync();
        ASSERT_EQ(vantile->run({"edit"}).exitCode, 0) << vantile->report();
        ASSERT_TRUE(waitUntil(
            [&] {
                return viewableWindowsTitled(x(), kEditorTitle).size() == 2 &&
                       viewableWindowsTitled(x(), kToolbarTitle).size() == 1;
            },
            5000ms))
            << vantile->report();
    }
    xcb_connection_t* x() { return desktop.server->connection(); }
    Rect toolbar() { return viewableWindowsTitled(x(), kToolbarTitle).at(0); }

    Desktop desktop;
    std::unique_ptr<VantileProgram> vantile;
};

TEST_P(EditorOnTwoMonitors, TheToolbarIsDrawn) {
    open();
    // Inside the rounded corners: the panel's colour and its controls, not one flat colour.
    const Rect inner = inset(toolbar(), 12, 12);
    std::set<std::uint32_t> colours;
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto pixels = rootPixels(*desktop.server, inner);
            colours = std::set<std::uint32_t>(pixels.begin(), pixels.end());
            return colours.size() > 2;
        },
        6000ms))
        << colours.size() << " colours in the toolbar at " << describe(inner);
}

TEST_P(EditorOnTwoMonitors, AtTwiceTheScaleWindowsAreInDevicePixelsAndLayoutsInLogicalOnes) {
    open({{"QT_SCALE_FACTOR", "2"}});
    auto editors = viewableWindowsTitled(x(), kEditorTitle);
    std::sort(editors.begin(), editors.end(),
              [](const Rect& a, const Rect& b) { return a.x < b.x; });
    EXPECT_EQ(editors, (std::vector<Rect>{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}));
    EXPECT_EQ(toolbar(), (Rect{480, 32, 960, 96})) << "480x48 points, 16 below the top";
    // Halves on each monitor: the boundary's bar at the middle, in the accent, not the region's
    // colour a little to its left.
    for (const int middle : {960, 2880}) {
        const auto differs = [&] {
            const auto pixels = rootPixels(*desktop.server, {double(middle - 100), 300, 101, 1});
            return pixels.size() == 101 && pixels.front() != pixels.back();
        };
        EXPECT_TRUE(waitUntil(differs, 5000ms)) << "no boundary at x = " << middle;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, EditorOnTwoMonitors,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM));

} // namespace
} // namespace vantile::test
