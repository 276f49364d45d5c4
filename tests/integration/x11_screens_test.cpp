// Screens read from a real X server (RandR monitors in screen space, the space panels reserve, the
// fallback without RandR) and changes of them heard: monitors set and deleted are reported,
// panels and ordinary windows are not, and the connection hands each event to every listener.

#include <gtest/gtest.h>

#include <xcb/randr.h>

#include <algorithm>
#include <memory>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_screen_changes.h"
#include "backends/x11/x11_screens.h"
#include "support/client_window.h"
#include "support/titled_windows.h"
#include "support/wait.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WantedMonitor;
using test::WmKind;

const WantedMonitor kLeft{"LEFT", 0, 0, 1280, 1024};
const WantedMonitor kRight{"RIGHT", 1280, 0, 1280, 1024};

// The program's screens and screen changes on a connection of their own, counting the reports.
struct Observer {
    explicit Observer(const test::XServer& server) : connection(test::connectProgram(server)) {
        changes.setHandler([this] { ++reports; });
    }
    // After a round trip every event sent before it is queued; one drain hands them over as one
    // batch.
    void settle() {
        test::roundTrip(connection->raw());
        connection->drainEvents();
    }

    std::unique_ptr<X11Connection> connection;
    X11ScreenChanges changes{*connection};
    X11Screens x11Screens{*connection};
    int reports = 0;
};

// Each screen's name, frame and visible frame.
using Described = std::vector<std::tuple<std::string, Rect, Rect>>;
Described described(const std::vector<Screen>& screens) {
    Described out;
    for (const Screen& s : screens) {
        out.emplace_back(s.localizedName, s.frame, s.visibleFrame);
    }
    return out;
}

// The primary at the bottom left, one monitor partly above it, one to its right: screen space has
// y upward from the primary's bottom, and the primary comes first whatever the server's order.
TEST(X11Screens, MonitorsArePrimaryFirstInScreenSpace) {
    auto desktop = test::Desktop::start(WmKind::Openbox, 3840, 2160,
                                        {{"MAIN", 0, 1080, 1920, 1080},
                                         {"ABOVE", 300, 56, 1280, 1024},
                                         {"SIDE", 1920, 1080, 1600, 900}});
    Observer observer(*desktop.server);
    const auto list = observer.x11Screens.screens();
    EXPECT_EQ(described(list),
              (Described{{"MAIN", {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
                         {"ABOVE", {300, 1080, 1280, 1024}, {300, 1080, 1280, 1024}},
                         {"SIDE", {1920, 180, 1600, 900}, {1920, 180, 1600, 900}}}));
    EXPECT_TRUE(list[0].id != list[1].id && list[1].id != list[2].id && list[0].id != list[2].id);
    const auto again = observer.x11Screens.screens();
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(again.at(i).id, list[i].id) << "the same monitors keep their ids";
    }

    // A panel reserves space on the monitor it covers alone, and only while it is there.
    auto panel = test::ClientWindow::create(
        *desktop.server, test::ClientWindowOptions::panel({1920, 1080, 1600, 30},
                                                          {0, 0, 1110, 0, 0, 0, 0, 0, 1920, 3519}));
    panel->map();
    EXPECT_EQ(described(observer.x11Screens.screens()),
              (Described{described(list)[0],
                         described(list)[1],
                         {"SIDE", {1920, 180, 1600, 900}, {1920, 180, 1600, 870}}}));
    panel->destroy();
    EXPECT_EQ(described(observer.x11Screens.screens()), described(list));

    desktop.server->setMonitors({kRight, kLeft});
    ASSERT_TRUE(test::waitUntil([&] { return observer.settle(), observer.reports > 0; }, 5000ms));
    // The window manager publishes its new work area a moment after the change.
    const Described moved{{"RIGHT", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
                          {"LEFT", {-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}}};
    test::waitUntil([&] { return described(observer.x11Screens.screens()) == moved; }, 3000ms);
    EXPECT_EQ(described(observer.x11Screens.screens()), moved);
}

// The events of one change (several RandR and root events) drained together are reported once.
// A handler that drains the connection (as window commands do) meets the next change inside
// itself; that change is reported after it returns, never within it. Round trips made while a
// batch is answered pull later events off the socket, which then announces nothing: the same
// drain hands them over.
TEST(X11ScreenChanges, OneReportPerBatchNoneInsideTheHandlerAndNoEventLeftBehind) {
    auto server = test::XServer::start(2560, 1024);
    Observer observer(*server);
    server->setMonitors({kLeft, kRight, {"THIRD", 0, 0, 640, 480}});
    observer.settle();
    EXPECT_EQ(observer.reports, 1);

    int depth = 0, deepest = 0, calls = 0;
    observer.changes.setHandler([&] {
        deepest = std::max(deepest, ++depth);
        if (++calls == 1) {
            server->setMonitors({kLeft});
            observer.settle();
        }
        --depth;
    });
    server->setMonitors({kLeft, kRight});
    ASSERT_TRUE(test::waitUntil([&] { return observer.settle(), calls >= 2; }, 5000ms));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(observer.x11Screens.screens().size(), 1u);

    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(observer.connection->raw(), server->root(), XCB_CW_EVENT_MASK,
                                 &mask);
    observer.settle();
    // Once this returns, the property's event waits in the connection's queue.
    const auto write = [&](std::string_view name) {
        test::writeProperty32(server->connection(), server->root(),
                              test::Atoms(server->connection())(name), XCB_ATOM_CARDINAL, {1});
        test::roundTrip(server->connection());
        test::roundTrip(observer.connection->raw());
    };
    int events = 0, batches = 0;
    const auto listener =
        observer.connection->addEventHandler([&](const xcb_generic_event_t&) { ++events; },
                                             [&] {
                                                 if (++batches == 1) {
                                                     write("VANTILE_LATE");
                                                 }
                                             });
    write("VANTILE_EARLY");
    observer.connection->drainEvents();
    EXPECT_EQ(events, 2);
    EXPECT_EQ(batches, 2);
}

} // namespace
} // namespace vantile
