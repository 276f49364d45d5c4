// Screen-configuration changes heard on a real X server: monitors set and deleted are reported,
// panels that reserve space and ordinary windows are not.

#include <gtest/gtest.h>

#include <xcb/randr.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_screen_changes.h"
#include "backends/x11/x11_screens.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/harness_error.h"
#include "support/rect_printing.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WantedMonitor;
using test::WmKind;

constexpr auto kReportDeadline = 5000ms;

const WantedMonitor kLeft{"LEFT", 0, 0, 1280, 1024};
const WantedMonitor kRight{"RIGHT", 1280, 0, 1280, 1024};

// A screen-change source on a connection of its own, counting its reports.
class Observer {
  public:
    explicit Observer(const test::XServer& server)
        : connection_(X11Connection::open(server.display().c_str())) {
        if (!connection_) {
            throw test::HarnessError("cannot connect to " + server.display());
        }
        connection_->setStrictErrors(true);
        changes_ = std::make_unique<X11ScreenChanges>(*connection_);
        changes_->setHandler([this] { ++reports_; });
    }

    X11Connection& connection() { return *connection_; }
    X11ScreenChanges& changes() { return *changes_; }
    int reports() const { return reports_; }

    // Drains the connection until there are more reports than `count`.
    bool waitForReportsAbove(int count) {
        return test::waitUntil(
            [&] {
                connection_->drainEvents();
                return reports_ > count;
            },
            kReportDeadline);
    }

    // After a round trip every event the server sent before it is queued; one drain then hands
    // them all over as one batch.
    void settle() {
        test::roundTrip(connection_->raw());
        connection_->drainEvents();
    }

    std::vector<Screen> screens() { return X11Screens(*connection_).screens(); }

  private:
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11ScreenChanges> changes_;
    int reports_ = 0;
};

// A panel along the top of a 1920 pixels wide root, reserving `height` pixels there.
test::ClientWindowOptions topPanel(std::uint32_t height) {
    test::ClientWindowOptions options;
    options.title = "panel";
    options.windowType = test::WindowType::Dock;
    options.x = 0;
    options.y = 0;
    options.width = 1920;
    options.height = static_cast<int>(height);
    options.strutPartial =
        std::array<std::uint32_t, 12>{0, 0, height, 0, 0, 0, 0, 0, 0, 1919, 0, 0};
    return options;
}

// Screen space has y upward, so the visible frame's top is its maxY.
double visibleTop(const Screen& screen) {
    return screen.visibleFrame.maxY();
}

class X11ScreenChangesUnderWm : public ::testing::TestWithParam<WmKind> {};

TEST_P(X11ScreenChangesUnderWm, MonitorsSetAndDeletedAreReported) {
    auto desktop = test::Desktop::start(GetParam(), 2560, 1024, {kLeft});
    Observer observer(*desktop.server);
    ASSERT_EQ(observer.screens().size(), 1u);

    desktop.server->setMonitors({kLeft, kRight});
    ASSERT_TRUE(observer.waitForReportsAbove(0));
    const auto added = observer.screens();
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[1].localizedName, "RIGHT");
    EXPECT_EQ(added[1].frame, (Rect{1280, 0, 1280, 1024}));

    const int afterAdding = observer.reports();
    desktop.server->setMonitors({kLeft});
    ASSERT_TRUE(observer.waitForReportsAbove(afterAdding));
    const auto removed = observer.screens();
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].localizedName, "LEFT");
}

// The usable area is read afresh by every command: a panel coming, changing its strut and going,
// and ordinary windows moving are no change of the monitors, and the layouts stay.
TEST_P(X11ScreenChangesUnderWm, PanelsAndWindowsAreNoChangeOfMonitors) {
    auto desktop = test::Desktop::start(GetParam(), 1920, 1080);
    Observer observer(*desktop.server);
    const double top = visibleTop(observer.screens().at(0));
    const auto reachesTop = [&](double expected) {
        return test::waitUntil([&] { return visibleTop(observer.screens().at(0)) == expected; },
                               kReportDeadline);
    };
    auto panel = test::ClientWindow::create(*desktop.server, topPanel(40));
    panel->map();
    ASSERT_TRUE(reachesTop(top - 40));
    test::Atoms atoms(panel->connection());
    test::writeProperty32(panel->connection(), panel->id(), atoms("_NET_WM_STRUT_PARTIAL"),
                          XCB_ATOM_CARDINAL, {0, 0, 64, 0, 0, 0, 0, 0, 0, 1919, 0, 0});
    xcb_flush(panel->connection());
    ASSERT_TRUE(reachesTop(top - 64));

    auto client = test::ClientWindow::create(*desktop.server);
    client->map();
    const std::uint32_t position[] = {500, 400};
    xcb_configure_window(client->connection(), client->id(),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    test::roundTrip(client->connection());
    panel->destroy();
    ASSERT_TRUE(reachesTop(top));
    observer.settle();
    EXPECT_EQ(observer.reports(), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11ScreenChangesUnderWm,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM));

// What the source's connection hears of the root, next to what it reports.
struct HeardEvents {
    int rootConfigured = 0;
    int randr = 0;
};

X11Connection::Subscription listen(X11Connection& connection, HeardEvents& heard) {
    const xcb_query_extension_reply_t* randr =
        xcb_get_extension_data(connection.raw(), &xcb_randr_id);
    const int randrFirst = randr != nullptr && randr->present ? randr->first_event : 256;
    const xcb_window_t root = connection.root();
    return connection.addEventHandler([&heard, randrFirst, root](const xcb_generic_event_t& e) {
        const int type = e.response_type & 0x7f;
        if (type == XCB_CONFIGURE_NOTIFY) {
            const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(e);
            heard.rootConfigured += configure.window == root ? 1 : 0;
        } else if (type == randrFirst + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                   type == randrFirst + XCB_RANDR_NOTIFY) {
            ++heard.randr;
        }
    });
}

TEST(X11ScreenChanges, EventsOfOneChangeDrainedTogetherAreReportedOnce) {
    auto server = test::XServer::start(2560, 1024);
    Observer observer(*server);
    HeardEvents heard;
    const auto subscription = listen(observer.connection(), heard);

    // The source's connection is not drained until the server has carried out the whole change.
    server->setMonitors({kLeft, kRight, {"THIRD", 0, 0, 640, 480}});
    observer.settle();
    EXPECT_GE(heard.rootConfigured + heard.randr, 2);
    EXPECT_EQ(observer.reports(), 1);
}

// A handler that drains the connection (as window commands do) meets the next change inside
// itself; that change is reported after it returns, never within it.
TEST(X11ScreenChanges, ChangesMetInsideTheHandlerAreReportedAfterIt) {
    auto server = test::XServer::start(2560, 1024);
    Observer observer(*server);
    int depth = 0;
    int deepest = 0;
    int calls = 0;
    observer.changes().setHandler([&] {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        if (calls == 1) {
            server->setMonitors({kLeft});
            observer.settle();
        }
        --depth;
    });
    server->setMonitors({kLeft, kRight});
    ASSERT_TRUE(test::waitUntil(
        [&] {
            observer.connection().drainEvents();
            return calls >= 2;
        },
        kReportDeadline));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(observer.screens().size(), 1u);
}

TEST(X11ScreenChanges, RootEventsAreAddedToTheOnesSelectedBefore) {
    auto server = test::XServer::start(1024, 768);
    auto connection = X11Connection::open(server->display().c_str());
    ASSERT_NE(connection, nullptr);
    connection->setStrictErrors(true);
    const std::uint32_t before = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_change_window_attributes(connection->raw(), connection->root(), XCB_CW_EVENT_MASK, &before);
    X11ScreenChanges changes(*connection);

    test::XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection->raw(), xcb_get_window_attributes(connection->raw(), connection->root()),
        nullptr));
    ASSERT_NE(attributes, nullptr);
    const std::uint32_t mask = attributes->your_event_mask;
    EXPECT_EQ(mask & before, before);
    EXPECT_NE(mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY, 0u);
    EXPECT_EQ(mask & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT, 0u);

    // The place of the window manager is still free.
    const auto wm = test::connectToDisplay(server->display());
    const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    test::XcbReply<xcb_generic_error_t> error(
        xcb_request_check(wm.get(), xcb_change_window_attributes_checked(
                                        wm.get(), server->root(), XCB_CW_EVENT_MASK, &redirect)));
    EXPECT_EQ(error, nullptr);
}

// A connection that hears the root's properties, and a second client that writes them.
class X11ConnectionListeners : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = test::XServer::start(1024, 768);
        connection_ = X11Connection::open(server_->display().c_str());
        ASSERT_NE(connection_, nullptr);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_->raw(), connection_->root(), XCB_CW_EVENT_MASK,
                                     &mask);
        test::roundTrip(connection_->raw());
        atoms_ = std::make_unique<test::Atoms>(server_->connection());
    }

    // Writes root properties; once this returns, their events wait in the connection's queue.
    void write(std::initializer_list<std::string_view> names) {
        for (std::string_view name : names) {
            test::writeProperty32(server_->connection(), server_->root(), (*atoms_)(name),
                                  XCB_ATOM_CARDINAL, {1});
        }
        test::roundTrip(server_->connection());
        test::roundTrip(connection_->raw());
    }

    std::unique_ptr<test::XServer> server_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<test::Atoms> atoms_;
};

TEST_F(X11ConnectionListeners, EachHearsEveryEventThenTheEndOfTheBatch) {
    int firstEvents = 0, firstBatches = 0, secondEvents = 0, secondBatches = 0;
    const auto first = connection_->addEventHandler(
        [&](const xcb_generic_event_t&) { ++firstEvents; }, [&] { ++firstBatches; });
    auto second = connection_->addEventHandler([&](const xcb_generic_event_t&) { ++secondEvents; },
                                               [&] { ++secondBatches; });
    write({"VANTILE_A", "VANTILE_B", "VANTILE_C"});
    connection_->drainEvents();
    EXPECT_EQ(firstEvents, 3);
    EXPECT_EQ(firstBatches, 1);
    EXPECT_EQ(secondEvents, 3);
    EXPECT_EQ(secondBatches, 1);

    // An ended subscription hears nothing more; the other goes on.
    second = X11Connection::Subscription();
    write({"VANTILE_A", "VANTILE_B", "VANTILE_C"});
    connection_->drainEvents();
    EXPECT_EQ(firstEvents, 6);
    EXPECT_EQ(firstBatches, 2);
    EXPECT_EQ(secondEvents, 3);
    EXPECT_EQ(secondBatches, 1);
}

TEST_F(X11ConnectionListeners, OneEndedByAnotherMidEventHearsNoMore) {
    int secondEvents = 0;
    X11Connection::Subscription second;
    const auto first = connection_->addEventHandler(
        [&](const xcb_generic_event_t&) { second = X11Connection::Subscription(); });
    second = connection_->addEventHandler([&](const xcb_generic_event_t&) { ++secondEvents; });
    write({"VANTILE_A"});
    connection_->drainEvents();
    EXPECT_EQ(secondEvents, 0);
}

// Round trips made while a batch is answered pull later events off the socket, which then
// announces nothing: the same drain must hand them over.
TEST_F(X11ConnectionListeners, EventsArrivingWhileABatchIsAnsweredAreHandedOver) {
    int events = 0;
    int batches = 0;
    const auto listener =
        connection_->addEventHandler([&](const xcb_generic_event_t&) { ++events; },
                                     [&] {
                                         if (++batches == 1) {
                                             write({"VANTILE_LATE"});
                                         }
                                     });
    write({"VANTILE_EARLY"});
    connection_->drainEvents();
    EXPECT_EQ(events, 2);
    EXPECT_EQ(batches, 2);
}

} // namespace
} // namespace vantile
