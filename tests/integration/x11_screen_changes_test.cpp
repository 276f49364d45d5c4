// Screen-configuration changes heard on a real X server: monitors set and deleted, panels that
// reserve space coming, changing and going, and the changes that must stay quiet.

#include <gtest/gtest.h>

#include <xcb/randr.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "support/client_window.h"
#include "support/desktop.h"
#include "support/harness_error.h"
#include "support/rect_printing.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"
#include "window/x11/x11_connection.h"
#include "window/x11/x11_screen_changes.h"
#include "window/x11/x11_screens.h"

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

TEST_P(X11ScreenChangesUnderWm, DockComingAndGoingIsReported) {
    auto desktop = test::Desktop::start(GetParam(), 1920, 1080);
    Observer observer(*desktop.server);
    const Screen before = observer.screens().at(0);

    auto panel = test::ClientWindow::create(*desktop.server, topPanel(40));
    panel->map();
    ASSERT_TRUE(observer.waitForReportsAbove(0));
    const Screen docked = observer.screens().at(0);
    EXPECT_EQ(visibleTop(docked), visibleTop(before) - 40);
    EXPECT_EQ(docked.visibleFrame.height, before.visibleFrame.height - 40);

    const int afterMapping = observer.reports();
    panel->destroy();
    ASSERT_TRUE(observer.waitForReportsAbove(afterMapping));
    EXPECT_EQ(observer.screens().at(0).visibleFrame, before.visibleFrame);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11ScreenChangesUnderWm,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM));

// Without a window manager nobody lists the panel or sets _NET_WORKAREA: only the panel's own
// mapping and strut properties tell of it, as for panels that window managers leave unlisted.
TEST(X11ScreenChanges, UnlistedPanelIsHeardByItsStrutProperties) {
    auto server = test::XServer::start(1920, 1080);
    Observer observer(*server);
    auto panel = test::ClientWindow::create(*server, topPanel(32));
    panel->map();
    ASSERT_TRUE(observer.waitForReportsAbove(0));
    EXPECT_EQ(visibleTop(observer.screens().at(0)), 1080 - 32);

    test::Atoms atoms(panel->connection());
    int seen = observer.reports();
    test::writeProperty32(panel->connection(), panel->id(), atoms("_NET_WM_STRUT_PARTIAL"),
                          XCB_ATOM_CARDINAL, {0, 0, 64, 0, 0, 0, 0, 0, 0, 1919, 0, 0});
    test::writeProperty32(panel->connection(), panel->id(), atoms("_NET_WM_STRUT"),
                          XCB_ATOM_CARDINAL, {0, 0, 64, 0});
    // Both requests are carried out before the source looks.
    test::roundTrip(panel->connection());
    ASSERT_TRUE(observer.waitForReportsAbove(seen));
    EXPECT_EQ(visibleTop(observer.screens().at(0)), 1080 - 64);

    seen = observer.reports();
    xcb_delete_property(panel->connection(), panel->id(), atoms("_NET_WM_STRUT_PARTIAL"));
    xcb_delete_property(panel->connection(), panel->id(), atoms("_NET_WM_STRUT"));
    test::roundTrip(panel->connection());
    ASSERT_TRUE(observer.waitForReportsAbove(seen));
    EXPECT_EQ(visibleTop(observer.screens().at(0)), 1080);

    seen = observer.reports();
    test::writeProperty32(panel->connection(), panel->id(), atoms("_NET_WM_STRUT"),
                          XCB_ATOM_CARDINAL, {0, 0, 16, 0});
    test::roundTrip(panel->connection());
    ASSERT_TRUE(observer.waitForReportsAbove(seen));
    EXPECT_EQ(visibleTop(observer.screens().at(0)), 1080 - 16);

    seen = observer.reports();
    panel->destroy();
    ASSERT_TRUE(observer.waitForReportsAbove(seen));
    EXPECT_EQ(visibleTop(observer.screens().at(0)), 1080);
}

// What the source's connection hears, next to what it reports.
struct HeardEvents {
    std::vector<xcb_atom_t> propertiesOf(xcb_window_t window) const {
        std::vector<xcb_atom_t> atoms;
        for (const auto& [owner, atom] : properties) {
            if (owner == window) {
                atoms.push_back(atom);
            }
        }
        return atoms;
    }

    std::vector<std::pair<xcb_window_t, xcb_atom_t>> properties;
    std::vector<xcb_window_t> configured;
    std::vector<xcb_window_t> unmapped;
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
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(e);
            heard.properties.emplace_back(property.window, property.atom);
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(e);
            heard.configured.push_back(configure.window);
            heard.rootConfigured += configure.window == root ? 1 : 0;
        } else if (type == XCB_UNMAP_NOTIFY) {
            heard.unmapped.push_back(reinterpret_cast<const xcb_unmap_notify_event_t&>(e).window);
        } else if (type == randrFirst + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                   type == randrFirst + XCB_RANDR_NOTIFY) {
            ++heard.randr;
        }
    });
}

TEST(X11ScreenChanges, OrdinaryWindowsAndTheirPropertiesAreNotReported) {
    auto desktop = test::Desktop::start(WmKind::Openbox, 1920, 1080);
    Observer observer(*desktop.server);
    HeardEvents heard;
    const auto subscription = listen(observer.connection(), heard);

    auto client = test::ClientWindow::create(*desktop.server);
    client->map();
    observer.settle();
    EXPECT_EQ(observer.reports(), 0);

    test::writePropertyBytes(client->connection(), client->id(), XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                             "renamed");
    test::roundTrip(client->connection());
    observer.settle();
    // The change reached the source, which let it pass.
    const auto changed = heard.propertiesOf(client->id());
    EXPECT_NE(std::find(changed.begin(), changed.end(), XCB_ATOM_WM_NAME), changed.end());
    EXPECT_EQ(observer.reports(), 0);

    // A window moving is heard as its frame's ConfigureNotify on the root.
    heard.configured.clear();
    const std::uint32_t position[] = {500, 400};
    xcb_configure_window(client->connection(), client->id(),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    xcb_flush(client->connection());
    const bool moved = test::waitUntil(
        [&] {
            observer.connection().drainEvents();
            return !heard.configured.empty();
        },
        kReportDeadline);
    EXPECT_TRUE(moved);
    observer.settle();
    EXPECT_EQ(heard.rootConfigured, 0);
    EXPECT_EQ(observer.reports(), 0);
}

TEST(X11ScreenChanges, PanelThatGaveUpItsStrutsLeavesQuietly) {
    auto server = test::XServer::start(1920, 1080);
    Observer observer(*server);
    HeardEvents heard;
    const auto subscription = listen(observer.connection(), heard);
    auto panel = test::ClientWindow::create(*server, topPanel(32));
    panel->map();
    ASSERT_TRUE(observer.waitForReportsAbove(0));

    test::Atoms atoms(panel->connection());
    const int seen = observer.reports();
    xcb_delete_property(panel->connection(), panel->id(), atoms("_NET_WM_STRUT_PARTIAL"));
    xcb_delete_property(panel->connection(), panel->id(), atoms("_NET_WM_STRUT"));
    test::roundTrip(panel->connection());
    ASSERT_TRUE(observer.waitForReportsAbove(seen));

    const int withoutStruts = observer.reports();
    panel->destroy();
    test::roundTrip(panel->connection());
    observer.settle();
    EXPECT_NE(std::find(heard.unmapped.begin(), heard.unmapped.end(), panel->id()),
              heard.unmapped.end());
    EXPECT_EQ(observer.reports(), withoutStruts);
}

TEST(X11ScreenChanges, WorkAreaIsTheOneRootPropertyReported) {
    auto server = test::XServer::start(1024, 768);
    Observer observer(*server);
    HeardEvents heard;
    const auto subscription = listen(observer.connection(), heard);
    test::Atoms atoms(server->connection());

    test::writeProperty32(server->connection(), server->root(), atoms("_NET_ACTIVE_WINDOW"),
                          XCB_ATOM_WINDOW, {0});
    test::roundTrip(server->connection());
    observer.settle();
    EXPECT_EQ(heard.propertiesOf(server->root()),
              std::vector<xcb_atom_t>{atoms("_NET_ACTIVE_WINDOW")});
    EXPECT_EQ(observer.reports(), 0);

    test::writeProperty32(server->connection(), server->root(), atoms("_NET_WORKAREA"),
                          XCB_ATOM_CARDINAL, {0, 24, 1024, 744});
    xcb_flush(server->connection());
    EXPECT_TRUE(observer.waitForReportsAbove(0));
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

TEST(X11ScreenChanges, DockUnderAWindowManagerIsReportedAFewTimesAtMost) {
    auto desktop = test::Desktop::start(WmKind::Openbox, 1920, 1080);
    Observer observer(*desktop.server);
    HeardEvents heard;
    const auto subscription = listen(observer.connection(), heard);

    auto panel = test::ClientWindow::create(*desktop.server, topPanel(40));
    panel->map();
    // Openbox has answered the panel once _NET_WORKAREA leaves its strut out.
    test::Atoms atoms(desktop.server->connection());
    const bool answered = test::waitUntil(
        [&] {
            const auto area = test::readProperty32(desktop.server->connection(),
                                                   desktop.server->root(), atoms("_NET_WORKAREA"));
            return area && area->size() >= 4 && (*area)[1] == 40;
        },
        kReportDeadline);
    ASSERT_TRUE(answered);
    observer.settle();
    EXPECT_GE(heard.properties.size(), 2u);
    EXPECT_GE(observer.reports(), 1);
    EXPECT_LE(observer.reports(), 2);
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
    EXPECT_NE(mask & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, 0u);
    EXPECT_NE(mask & XCB_EVENT_MASK_PROPERTY_CHANGE, 0u);
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
