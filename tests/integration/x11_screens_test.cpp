// Screens read from a real X server: RandR monitors, their conversion to screen space, the space
// panels reserve, and the fallback without RandR.

#include <gtest/gtest.h>

#include "support/product_connection.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_screens.h"
#include "base/unique_fd.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/process.h"
#include "support/rect_printing.h"
#include "support/struts.h"
#include "support/wait.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WantedMonitor;
using test::WmKind;

using test::connectTo;

// The primary at the bottom left, one monitor above it (partly), one to its right.
const std::vector<WantedMonitor> kThreeMonitors = {
    {"MAIN", 0, 1080, 1920, 1080},
    {"ABOVE", 300, 56, 1280, 1024},
    {"SIDE", 1920, 1080, 1600, 900},
};

TEST(X11Screens, ListsMonitorsPrimaryFirstInScreenSpace) {
    auto desktop = test::Desktop::start(WmKind::Openbox, 3840, 2160, kThreeMonitors);
    auto connection = connectTo(*desktop.server);
    ASSERT_NE(connection, nullptr);
    X11Screens screens(*connection);

    const auto list = screens.screens();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].localizedName, "MAIN");
    EXPECT_EQ(list[1].localizedName, "ABOVE");
    EXPECT_EQ(list[2].localizedName, "SIDE");
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(list[1].frame, (Rect{300, 1080, 1280, 1024}));
    EXPECT_EQ(list[2].frame, (Rect{1920, 180, 1600, 900}));
    for (const Screen& screen : list) {
        EXPECT_EQ(screen.visibleFrame, screen.frame) << screen.localizedName;
    }
    EXPECT_NE(list[0].id, list[1].id);
    EXPECT_NE(list[1].id, list[2].id);
    EXPECT_NE(list[0].id, list[2].id);

    // The same monitors keep their ids from one reading to the next.
    const auto again = screens.screens();
    ASSERT_EQ(again.size(), 3u);
    for (std::size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].id, list[i].id);
    }
}

TEST(X11Screens, PrimaryComesFirstWhateverTheServerOrder) {
    // The primary is set first but sits right of the other monitor.
    auto desktop = test::Desktop::start(
        WmKind::Openbox, 2560, 1024, {{"RIGHT", 1280, 0, 1280, 1024}, {"LEFT", 0, 0, 1280, 1024}});
    auto connection = connectTo(*desktop.server);
    X11Screens screens(*connection);
    const auto list = screens.screens();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].localizedName, "RIGHT");
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1280, 1024}));
    EXPECT_EQ(list[1].frame, (Rect{-1280, 0, 1280, 1024}));
}

TEST(X11Screens, PointerPicksTheMainScreen) {
    auto desktop = test::Desktop::start(WmKind::Openbox, 3840, 2160, kThreeMonitors);
    auto connection = connectTo(*desktop.server);
    X11Screens screens(*connection);
    xcb_connection_t* c = desktop.server->connection();

    xcb_warp_pointer(c, XCB_WINDOW_NONE, desktop.server->root(), 0, 0, 0, 0, 2000, 1500);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    EXPECT_EQ(screens.mouseLocation(), (Point{2000, 660}));
    auto main = screens.mainScreen();
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->localizedName, "SIDE");

    xcb_warp_pointer(c, XCB_WINDOW_NONE, desktop.server->root(), 0, 0, 0, 0, 400, 100);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    EXPECT_EQ(screens.mouseLocation(), (Point{400, 2060}));
    main = screens.mainScreen();
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->localizedName, "ABOVE");

    // Off every monitor (the root's top right corner), the first screen stands in.
    xcb_warp_pointer(c, XCB_WINDOW_NONE, desktop.server->root(), 0, 0, 0, 0, 3800, 10);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    main = screens.mainScreen();
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->localizedName, "MAIN");
}

TEST(X11Screens, IceWMTaskbarIsLeftOutOfTheVisibleFrame) {
    auto desktop = test::Desktop::start(WmKind::IceWM, 1920, 1080);
    std::uint32_t bottom = 0;
    for (const auto& strut :
         test::findStrutWindows(desktop.server->connection(), desktop.server->root())) {
        bottom = std::max(bottom, strut.bottom);
    }
    ASSERT_GT(bottom, 0u);
    auto connection = connectTo(*desktop.server);
    X11Screens screens(*connection);
    const auto list = screens.screens();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1920, 1080}));
    // Screen space has y upward, so a strut at the bottom raises the visible frame's origin.
    EXPECT_EQ(list[0].visibleFrame, (Rect{0, double(bottom), 1920, 1080.0 - bottom}));
}

TEST(X11Screens, DockStrutShrinksOnlyTheMonitorItCovers) {
    auto desktop = test::Desktop::start(
        WmKind::Openbox, 2560, 1024, {{"LEFT", 0, 0, 1280, 1024}, {"RIGHT", 1280, 0, 1280, 1024}});
    test::ClientWindowOptions options;
    options.title = "panel";
    options.windowType = test::WindowType::Dock;
    options.x = 1280;
    options.y = 0;
    options.width = 1280;
    options.height = 32;
    // 32 pixels along the top, over the right monitor only.
    options.strutPartial = std::array<std::uint32_t, 12>{0, 0, 32, 0, 0, 0, 0, 0, 1280, 2559, 0, 0};
    auto panel = test::ClientWindow::create(*desktop.server, options);
    panel->map();

    auto connection = connectTo(*desktop.server);
    X11Screens screens(*connection);
    const auto list = screens.screens();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].visibleFrame, list[0].frame);
    EXPECT_EQ(list[1].frame, (Rect{1280, 0, 1280, 1024}));
    EXPECT_EQ(list[1].visibleFrame, (Rect{1280, 0, 1280, 992}));

    // A panel that is no longer viewable reserves nothing.
    panel->destroy();
    EXPECT_EQ(screens.screens()[1].visibleFrame, list[1].frame);
}

// Starts Xvfb without RandR, which the shared harness always enables.
class XvfbWithoutRandr {
  public:
    XvfbWithoutRandr() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        UniqueFd readEnd(ends[0]);
        UniqueFd writeEnd(ends[1]);
        test::ProcessOptions options;
        options.argv = {"Xvfb",    "-displayfd", "3",           "-noreset",   "-nolisten", "tcp",
                        "-screen", "0",          "1280x800x24", "-extension", "RANDR"};
        options.passedDescriptors = {{writeEnd.get(), 3}};
        options.stdoutFile = "/dev/null";
        options.stderrFile = "/dev/null";
        process_ = std::make_unique<test::Process>(std::move(options));
        writeEnd.reset();
        display_ = ":" + readLine(readEnd.get());
    }
    const std::string& display() const { return display_; }

  private:
    static std::string readLine(int fd) {
        std::string text;
        char c = 0;
        pollfd pending{fd, POLLIN, 0};
        while (poll(&pending, 1, 10000) == 1 && read(fd, &c, 1) == 1 && c != '\n') {
            text += c;
        }
        return text;
    }

    std::unique_ptr<test::Process> process_;
    std::string display_;
};

TEST(X11Screens, WholeRootIsTheScreenWithoutRandr) {
    XvfbWithoutRandr server;
    ASSERT_NE(server.display(), ":");
    auto connection = X11Connection::open(server.display().c_str());
    ASSERT_NE(connection, nullptr);
    connection->setStrictErrors(true);
    EXPECT_FALSE(connection->hasRandrMonitors());
    X11Screens screens(*connection);
    const auto list = screens.screens();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(list[0].visibleFrame, list[0].frame);
    EXPECT_FALSE(list[0].localizedName.empty());
    EXPECT_EQ(screens.screens()[0].id, list[0].id);
    auto main = screens.mainScreen();
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->id, list[0].id);
}

} // namespace
} // namespace vantile
