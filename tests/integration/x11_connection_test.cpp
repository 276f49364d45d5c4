// The X connection: opening, atoms, events, and how X errors are judged and reported.

#include <gtest/gtest.h>

#include <xcb/randr.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/x_server.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;

// An id no client has been given: requests naming it fail with BadWindow.
constexpr xcb_window_t kNoSuchWindow = 0x7ffff0;

xcb_generic_error_t makeError(std::uint8_t code, std::uint8_t major, std::uint16_t minor,
                              std::uint32_t resource) {
    xcb_generic_error_t error{};
    error.response_type = 0;
    error.error_code = code;
    error.major_code = major;
    error.minor_code = minor;
    error.resource_id = resource;
    return error;
}

class X11ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = test::XServer::start(800, 600);
        connection_ = X11Connection::open(server_->display().c_str());
        ASSERT_NE(connection_, nullptr);
    }

    // Waits until the server has handled every request sent so far, so that their errors are
    // queued.
    void sync() {
        free(xcb_get_input_focus_reply(connection_->raw(), xcb_get_input_focus(connection_->raw()),
                                       nullptr));
    }

    // A window of the test's own connection, so that errors about it stay ours.
    xcb_window_t makeWindow() {
        const xcb_window_t window = xcb_generate_id(connection_->raw());
        xcb_create_window(connection_->raw(), XCB_COPY_FROM_PARENT, window, connection_->root(), 0,
                          0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0,
                          nullptr);
        return window;
    }

    std::unique_ptr<test::XServer> server_;
    std::unique_ptr<X11Connection> connection_;
};

TEST(X11ConnectionOpen, FailsWithoutAServer) {
    EXPECT_EQ(X11Connection::open(":4095"), nullptr);
}

TEST_F(X11ConnectionTest, KnowsTheRootAndTheSocket) {
    EXPECT_EQ(connection_->root(), server_->root());
    EXPECT_GE(connection_->fileDescriptor(), 0);
    EXPECT_FALSE(connection_->hasFailed());
    EXPECT_TRUE(connection_->hasRandrMonitors());
}

TEST_F(X11ConnectionTest, InternsAtomsAsTheServerKnowsThem) {
    test::Atoms serverAtoms(server_->connection());
    const xcb_atom_t atom = connection_->atom("VANTILE_TEST_ATOM");
    EXPECT_NE(atom, XCB_ATOM_NONE);
    EXPECT_EQ(atom, serverAtoms("VANTILE_TEST_ATOM"));
    EXPECT_EQ(connection_->atom("VANTILE_TEST_ATOM"), atom);

    const std::vector<std::string_view> names = {"VANTILE_A", "VANTILE_B"};
    connection_->internAtoms(names);
    EXPECT_EQ(connection_->atom("VANTILE_B"), serverAtoms("VANTILE_B"));

    const std::vector<xcb_atom_t> atoms = {serverAtoms("VANTILE_NAMED"), XCB_ATOM_WM_NAME};
    EXPECT_EQ(connection_->atomNames(atoms),
              (std::vector<std::string>{"VANTILE_NAMED", "WM_NAME"}));
}

TEST_F(X11ConnectionTest, DescribesCoreErrorsInProtocolWords) {
    EXPECT_EQ(connection_->describeError(makeError(2, 12, 0, 0x400001)),
              "X error BadValue (2) in request ConfigureWindow (major 12, minor 0), resource "
              "0x400001");
    EXPECT_EQ(connection_->describeError(makeError(8, 40, 0, 0x1234)),
              "X error BadMatch (8) in request TranslateCoordinates (major 40, minor 0), "
              "resource 0x1234");
}

TEST_F(X11ConnectionTest, DescribesRandrErrorsByTheExtensionsOpcodes) {
    const xcb_query_extension_reply_t* randr =
        xcb_get_extension_data(server_->connection(), &xcb_randr_id);
    ASSERT_TRUE(randr != nullptr && randr->present);
    const std::string text = connection_->describeError(
        makeError(static_cast<std::uint8_t>(randr->first_error + 1), randr->major_opcode, 42, 7));
    EXPECT_EQ(text, "X error RANDR:BadCrtc (" + std::to_string(randr->first_error + 1) +
                        ") in request RANDR:GetMonitors (major " +
                        std::to_string(randr->major_opcode) + ", minor 42), resource 0x7");
}

TEST_F(X11ConnectionTest, VanishedWindowsAreNoError) {
    auto reply = takeReply(*connection_, &xcb_get_geometry_reply,
                           xcb_get_geometry(connection_->raw(), kNoSuchWindow));
    EXPECT_EQ(reply, nullptr);
    PendingProperty property =
        requestProperty(*connection_, kNoSuchWindow, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    EXPECT_FALSE(takeValues(property, XCB_ATOM_STRING).has_value());
    const std::uint32_t x = 5;
    xcb_configure_window(connection_->raw(), kNoSuchWindow, XCB_CONFIG_WINDOW_X, &x);
    sync();
    testing::internal::CaptureStderr();
    connection_->drainEvents();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(connection_->unexpectedErrorCount(), 0u);
}

TEST_F(X11ConnectionTest, OtherErrorsAreReported) {
    const xcb_window_t window = makeWindow();
    // A zero width is a BadValue.
    const std::uint32_t width = 0;
    xcb_configure_window(connection_->raw(), window, XCB_CONFIG_WINDOW_WIDTH, &width);
    sync();
    testing::internal::CaptureStderr();
    connection_->drainEvents();
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(connection_->unexpectedErrorCount(), 1u);
    // For a BadValue the resource field carries the value the server refused.
    EXPECT_EQ(printed, "vantile: X error BadValue (2) in request ConfigureWindow (major 12, minor "
                       "0), resource 0x0\n");
}

TEST_F(X11ConnectionTest, ReplyErrorsGoThroughTheSameJudgement) {
    // Asking for a property with a zero atom is a BadAtom.
    auto reply = takeReply(*connection_, &xcb_get_property_reply,
                           xcb_get_property(connection_->raw(), 0, connection_->root(),
                                            XCB_ATOM_NONE, XCB_ATOM_ANY, 0, 1));
    EXPECT_EQ(reply, nullptr);
    EXPECT_EQ(connection_->unexpectedErrorCount(), 1u);
}

TEST_F(X11ConnectionTest, StrictModeEndsTheProcessOnAnUnexpectedError) {
    const std::string display = server_->display();
    EXPECT_DEATH(
        {
            auto strict = X11Connection::open(display.c_str());
            strict->setStrictErrors(true);
            takeReply(*strict, &xcb_get_property_reply,
                      xcb_get_property(strict->raw(), 0, strict->root(), XCB_ATOM_NONE,
                                       XCB_ATOM_ANY, 0, 1));
        },
        "X error BadAtom \\(5\\) in request GetProperty");
}

TEST_F(X11ConnectionTest, StrictModeLetsVanishedWindowsPass) {
    connection_->setStrictErrors(true);
    const std::uint32_t x = 5;
    xcb_configure_window(connection_->raw(), kNoSuchWindow, XCB_CONFIG_WINDOW_X, &x);
    auto reply = takeReply(*connection_, &xcb_get_geometry_reply,
                           xcb_get_geometry(connection_->raw(), kNoSuchWindow));
    connection_->drainEvents();
    EXPECT_EQ(reply, nullptr);
    EXPECT_EQ(connection_->unexpectedErrorCount(), 0u);
}

TEST_F(X11ConnectionTest, DrainHandsEventsToTheHandler) {
    std::vector<xcb_atom_t> changed;
    connection_->setEventHandler([&](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            changed.push_back(reinterpret_cast<const xcb_property_notify_event_t&>(event).atom);
        }
    });
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_->raw(), connection_->root(), XCB_CW_EVENT_MASK, &mask);
    sync();

    test::Atoms serverAtoms(server_->connection());
    const xcb_atom_t property = serverAtoms("VANTILE_CHANGED");
    test::writeProperty32(server_->connection(), server_->root(), property, XCB_ATOM_CARDINAL, {1});
    xcb_flush(server_->connection());
    const bool seen = test::waitUntil(
        [&] {
            connection_->drainEvents();
            return std::find(changed.begin(), changed.end(), property) != changed.end();
        },
        5000ms);
    EXPECT_TRUE(seen);
}

} // namespace
} // namespace vantile
