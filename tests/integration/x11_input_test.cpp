// Global input monitors on a real X server: key presses with their modifiers and left-button
// drags and releases, made by XTest into a window of another client under Openbox; which raw
// events are selected when; and the key table, which needs no server.

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_input.h"
#include "backends/x11/x11_keys.h"
#include "platform/platform.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/wait.h"
#include "support/xcb_handles.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WmKind;

constexpr auto kDeadline = 5000ms;

// X key codes of keys named by position: the kernel's evdev code + 8.
constexpr xcb_keycode_t kLeftKey = 113;
constexpr xcb_keycode_t kCKey = 54;
constexpr xcb_keycode_t kOneKey = 10;

constexpr std::uint64_t kArrowFlags = modifier::numericPad | modifier::function;
constexpr std::uint64_t kControlOption = modifier::control | modifier::option;

std::string describe(const KeyEvent& event) {
    char text[64];
    std::snprintf(text, sizeof text, "key %u flags 0x%llx", static_cast<unsigned>(event.keyCode),
                  static_cast<unsigned long long>(event.modifierFlags));
    return text;
}

std::string describe(std::uint16_t keyCode, std::uint64_t flags) {
    return describe(KeyEvent{keyCode, flags});
}

// ---- The key table and modifier translation, without a server ----

TEST(X11InputKeys, KeysReadByTheirPositionOnAUsKeyboard) {
    // {X key code on an evdev server, key code of that position}
    const std::vector<std::pair<std::uint32_t, std::uint16_t>> keys = {
        {10, 18}, {11, 19}, {12, 20}, {13, 21},   {14, 23},   {15, 22},   {16, 26},
        {17, 28}, {18, 25}, {19, 29}, {113, 123}, {114, 124}, {111, 126}, {116, 125},
        {36, 36}, {54, 8},  {27, 15}, {30, 32},   {31, 34},   {32, 31},   {26, 14},
        {34, 33}, {35, 30}, {9, 53},  {52, 6},
    };
    for (const auto& [xKeycode, keyCode] : keys) {
        EXPECT_EQ(keyCodeForXKeycode(xKeycode), keyCode) << "X key code " << xKeycode;
    }
}

TEST(X11InputKeys, KeysTheLogicNeverNamesMatchNothing) {
    // The keypad's 4 (its left arrow with Num Lock off), Control_L, codes below the evdev offset
    // and past the last key.
    for (const std::uint32_t xKeycode : {83u, 37u, 0u, 7u, 255u, 256u}) {
        EXPECT_EQ(keyCodeForXKeycode(xKeycode), kUnmappedKeyCode) << "X key code " << xKeycode;
    }
}

TEST(X11InputKeys, ModifierMasksBecomeFlags) {
    EXPECT_EQ(modifierFlagsForXState(0x01), modifier::shift);
    EXPECT_EQ(modifierFlagsForXState(0x02), modifier::capsLock);
    EXPECT_EQ(modifierFlagsForXState(0x04), modifier::control);
    EXPECT_EQ(modifierFlagsForXState(0x08), modifier::option);
    EXPECT_EQ(modifierFlagsForXState(0x40), modifier::command);
    // Num Lock (Mod2), Mod3, Mod5 and button bits count for nothing.
    EXPECT_EQ(modifierFlagsForXState(0x10 | 0x20 | 0x80 | 0x100 | 0x400), 0u);
    EXPECT_EQ(modifierFlagsForXState(0xff), modifier::shift | modifier::capsLock |
                                                modifier::control | modifier::option |
                                                modifier::command);
}

TEST(X11InputKeys, OnlyArrowsCarryTheNumericPadAndFunctionFlags) {
    EXPECT_EQ(describe(keyEventFor(113, 0x0c)), describe(123, kControlOption | kArrowFlags));
    EXPECT_EQ(describe(keyEventFor(114, 0)), describe(124, kArrowFlags));
    EXPECT_EQ(describe(keyEventFor(111, 0x10)), describe(126, kArrowFlags));
    EXPECT_EQ(describe(keyEventFor(116, 0x01)), describe(125, modifier::shift | kArrowFlags));
    EXPECT_EQ(describe(keyEventFor(10, 0x40)), describe(18, modifier::command));
    EXPECT_EQ(describe(keyEventFor(36, 0)), describe(36, 0));
    EXPECT_EQ(describe(keyEventFor(83, 0x04)), describe(kUnmappedKeyCode, modifier::control));
}

TEST(X11InputHandlers, AHandlerRemovedDuringACallIsNotCalled) {
    InputHandlers<int> handlers;
    std::vector<std::string> calls;
    handlers.add(1, [&](int value) {
        calls.push_back("first " + std::to_string(value));
        handlers.remove(2);
    });
    handlers.add(2, [&](int value) { calls.push_back("second " + std::to_string(value)); });
    handlers.add(3, [&](int value) {
        calls.push_back("third " + std::to_string(value));
        handlers.remove(3);
    });
    handlers.callAll(7);
    handlers.callAll(8);
    EXPECT_EQ(calls, (std::vector<std::string>{"first 7", "third 7", "first 8"}));
    EXPECT_FALSE(handlers.remove(2));
    EXPECT_TRUE(handlers.remove(1));
    EXPECT_TRUE(handlers.empty());
}

TEST(X11InputHandlers, AHandlerAddedDuringACallWaitsForTheNextEvent) {
    InputHandlers<> handlers;
    int laterCalls = 0;
    handlers.add(1, [&] {
        if (handlers.remove(1)) {
            handlers.add(2, [&] { ++laterCalls; });
        }
    });
    handlers.callAll();
    EXPECT_EQ(laterCalls, 0);
    handlers.callAll();
    EXPECT_EQ(laterCalls, 1);
}

// ---- On a real desktop ----

MonitorToken required(std::optional<MonitorToken> token) {
    if (!token) {
        throw std::runtime_error("the monitor was refused");
    }
    return *token;
}

// The first event of an extension, by its name.
std::uint8_t firstEventOf(xcb_connection_t* connection, const char* name) {
    test::XcbReply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
        connection,
        xcb_query_extension(connection, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    if (!reply || reply->present == 0) {
        throw std::runtime_error(std::string("no ") + name);
    }
    return reply->first_event;
}

class X11GlobalInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop_ = test::Desktop::start(WmKind::Openbox, 1280, 1024);
        // Another program's window has the focus and lies under the pointer, as in real use.
        client_ = test::ClientWindow::create(*desktop_.server);
        client_->map();
        client_->activate();
        connection_ = X11Connection::open(desktop_.server->display().c_str());
        ASSERT_NE(connection_, nullptr);
        connection_->setStrictErrors(true);
        const xcb_query_extension_reply_t* xi =
            xcb_get_extension_data(connection_->raw(), &xcb_input_id);
        ASSERT_TRUE(xi != nullptr && xi->present != 0);
        xiOpcode_ = xi->major_opcode;
        xkbEvent_ = firstEventOf(connection_->raw(), "XKEYBOARD");
        input_ = std::make_unique<X11GlobalInput>(*connection_);
        injector_ = std::make_unique<test::InputInjector>(*desktop_.server);
        // Everything that reaches the connection, whether or not a monitor reports it.
        counter_ = connection_->addEventHandler([this](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7f) == xkbEvent_) {
                ++xkbEventsSeen_;
            }
            const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
            if ((event.response_type & 0x7f) == XCB_GE_GENERIC && generic.extension == xiOpcode_) {
                ++rawSeen_[generic.event_type];
            }
        });
        inClient_ = client_->clientRectInRoot();
    }

    MonitorToken addKeyMonitor(std::vector<KeyEvent>& log) {
        return required(input_->addGlobalKeyDownMonitor(
            [&log](const KeyEvent& event) { log.push_back(event); }));
    }

    MonitorToken addMouseMonitor(MouseEventKind kind) {
        return required(
            input_->addGlobalMouseMonitor(kind, [this, kind] { mouse_.push_back(kind); }));
    }

    // Until the server has taken the selections the program sent.
    void settle() { test::roundTrip(connection_->raw()); }

    // After input was made: the server has handled it, then the program drains its connection
    // until the condition holds.
    bool deliverUntil(const std::function<bool()>& condition) {
        injector_->sync();
        return test::waitUntil(
            [&] {
                connection_->drainEvents();
                return condition();
            },
            kDeadline);
    }

    // A key press after everything injected so far; once it is heard, so is all that came before
    // it. Needs sentinelKeys_ to be monitored.
    void awaitSentinel() {
        const std::size_t before = sentinelKeys_.size();
        injector_->tapKey(kCKey);
        ASSERT_TRUE(deliverUntil([&] { return sentinelKeys_.size() > before; }));
    }

    // Moves the pointer in small steps while the button is held, until a drag is reported.
    bool dragUntilReported() {
        const std::size_t before = count(MouseEventKind::leftMouseDragged);
        return test::waitUntil(
            [&] {
                injector_->moveBy(2, 1);
                injector_->sync();
                connection_->drainEvents();
                return count(MouseEventKind::leftMouseDragged) > before;
            },
            kDeadline);
    }

    void moveAbout(int steps) {
        for (int i = 0; i < steps; ++i) {
            injector_->moveBy(i % 2 == 0 ? 3 : -3, 2);
        }
    }

    std::size_t count(MouseEventKind kind) const {
        return static_cast<std::size_t>(std::count(mouse_.begin(), mouse_.end(), kind));
    }

    int rawSeen(std::uint16_t eventType) const {
        const auto found = rawSeen_.find(eventType);
        return found == rawSeen_.end() ? 0 : found->second;
    }

    xcb_keycode_t key(xcb_keysym_t keysym) { return injector_->keycodeOf(keysym); }

    // The presses of keys the logic names, described.
    static std::vector<std::string> named(const std::vector<KeyEvent>& log) {
        std::vector<std::string> described;
        for (const KeyEvent& event : log) {
            if (event.keyCode != kUnmappedKeyCode) {
                described.push_back(describe(event));
            }
        }
        return described;
    }

    static bool heard(const std::vector<KeyEvent>& log, std::uint16_t keyCode) {
        return std::any_of(log.begin(), log.end(),
                           [&](const KeyEvent& event) { return event.keyCode == keyCode; });
    }

    test::Desktop desktop_;
    std::unique_ptr<test::ClientWindow> client_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11GlobalInput> input_;
    std::unique_ptr<test::InputInjector> injector_;
    X11Connection::Subscription counter_;
    std::uint8_t xiOpcode_ = 0;
    std::uint8_t xkbEvent_ = 0;
    int xkbEventsSeen_ = 0;
    std::map<std::uint16_t, int> rawSeen_;
    std::vector<MouseEventKind> mouse_;
    std::vector<KeyEvent> sentinelKeys_;
    Rect inClient_;
};

TEST_F(X11GlobalInputTest, ControlOptionLeftArrivesAsAnArrowWithItsModifiers) {
    std::vector<KeyEvent> keys;
    addKeyMonitor(keys);
    settle();
    injector_->chord({key(XK_Control_L), key(XK_Alt_L), kLeftKey});
    injector_->tapKey(kCKey);
    ASSERT_TRUE(deliverUntil([&] { return heard(keys, 8); }));
    // The modifier keys themselves are heard too, each with the modifiers held before it; the
    // arrow once, though the server also has slave devices that could report it.
    std::vector<std::string> described;
    for (const KeyEvent& event : keys) {
        described.push_back(describe(event));
    }
    EXPECT_EQ(described, (std::vector<std::string>{
                             describe(kUnmappedKeyCode, 0),
                             describe(kUnmappedKeyCode, modifier::control),
                             describe(123, kControlOption | kArrowFlags),
                             describe(8, 0),
                         }));
}

TEST_F(X11GlobalInputTest, NumLockOnChangesNoFlags) {
    std::vector<KeyEvent> keys;
    addKeyMonitor(keys);
    settle();
    injector_->tapKey(key(XK_Num_Lock));
    injector_->sync();
    ASSERT_NE(injector_->stateMask() & XCB_MOD_MASK_2, 0) << "Num Lock did not lock";
    injector_->chord({key(XK_Control_L), key(XK_Alt_L), kLeftKey});
    ASSERT_TRUE(deliverUntil([&] { return heard(keys, 123); }));
    EXPECT_EQ(named(keys), (std::vector<std::string>{describe(123, kControlOption | kArrowFlags)}));
}

TEST_F(X11GlobalInputTest, CapsLockLockedBeforeTheMonitorCountsFromTheFirstPress) {
    injector_->tapKey(key(XK_Caps_Lock));
    injector_->sync();
    ASSERT_NE(injector_->stateMask() & XCB_MOD_MASK_LOCK, 0) << "Caps Lock did not lock";
    std::vector<KeyEvent> keys;
    addKeyMonitor(keys);
    settle();
    injector_->chord({key(XK_Control_L), key(XK_Alt_L), kLeftKey});
    ASSERT_TRUE(deliverUntil([&] { return heard(keys, 123); }));
    EXPECT_EQ(named(keys), (std::vector<std::string>{
                               describe(123, modifier::capsLock | kControlOption | kArrowFlags)}));
}

TEST_F(X11GlobalInputTest, ShiftAndSuperAddTheirFlags) {
    std::vector<KeyEvent> keys;
    addKeyMonitor(keys);
    settle();
    injector_->chord({key(XK_Control_L), key(XK_Alt_L), key(XK_Shift_L), kLeftKey});
    injector_->chord({key(XK_Super_L), kOneKey});
    ASSERT_TRUE(deliverUntil([&] { return heard(keys, 18); }));
    EXPECT_EQ(named(keys), (std::vector<std::string>{
                               describe(123, kControlOption | modifier::shift | kArrowFlags),
                               describe(18, modifier::command),
                           }));
}

TEST_F(X11GlobalInputTest, EachPressHasTheModifiersHeldWhenItWasMade) {
    std::vector<KeyEvent> keys;
    addKeyMonitor(keys);
    settle();
    const xcb_keycode_t control = key(XK_Control_L);
    const xcb_keycode_t shift = key(XK_Shift_L);
    // All of it reaches the connection before the program reads any of it.
    injector_->pressKey(control);
    injector_->tapKey(kCKey);
    injector_->releaseKey(control);
    injector_->tapKey(kCKey);
    injector_->pressKey(shift);
    injector_->tapKey(kOneKey);
    injector_->releaseKey(shift);
    injector_->tapKey(kOneKey);
    ASSERT_TRUE(deliverUntil([&] { return named(keys).size() >= 4; }));
    EXPECT_EQ(named(keys), (std::vector<std::string>{
                               describe(8, modifier::control),
                               describe(8, 0),
                               describe(18, modifier::shift),
                               describe(18, 0),
                           }));
}

TEST_F(X11GlobalInputTest, ARemovedMonitorHearsNothingMore) {
    std::vector<KeyEvent> removed;
    std::vector<KeyEvent> kept;
    const MonitorToken token = addKeyMonitor(removed);
    addKeyMonitor(kept);
    settle();
    injector_->tapKey(kCKey);
    ASSERT_TRUE(deliverUntil([&] { return kept.size() == 1; }));
    ASSERT_EQ(removed.size(), 1u);

    input_->removeMonitor(token);
    injector_->tapKey(kOneKey);
    ASSERT_TRUE(deliverUntil([&] { return kept.size() == 2; }));
    EXPECT_EQ(removed.size(), 1u);
}

TEST_F(X11GlobalInputTest, ThePressAlreadyReceivedIsNotReportedAfterTheLastMonitorWent) {
    std::vector<KeyEvent> keys;
    const MonitorToken token = addKeyMonitor(keys);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    settle();
    injector_->tapKey(kCKey);
    // The server has sent the press; the program has not read it yet.
    injector_->sync();
    input_->removeMonitor(token);
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    injector_->pressButton(1);
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_KEY_PRESS), 1) << "the press never reached the connection";
    EXPECT_TRUE(keys.empty());
}

TEST_F(X11GlobalInputTest, MonitorsThatRemoveEachOtherShareOneEvent) {
    MonitorToken first = 0;
    MonitorToken second = 0;
    int firstCalls = 0;
    int secondCalls = 0;
    // Each, when called, removes both.
    first = required(input_->addGlobalKeyDownMonitor([&](const KeyEvent&) {
        ++firstCalls;
        input_->removeMonitor(second);
        input_->removeMonitor(first);
    }));
    second = required(input_->addGlobalKeyDownMonitor([&](const KeyEvent&) {
        ++secondCalls;
        input_->removeMonitor(first);
        input_->removeMonitor(second);
    }));
    addKeyMonitor(sentinelKeys_);
    settle();
    injector_->tapKey(kOneKey);
    ASSERT_TRUE(deliverUntil([&] { return firstCalls + secondCalls > 0; }));
    awaitSentinel();
    EXPECT_EQ(firstCalls + secondCalls, 1);
}

TEST_F(X11GlobalInputTest, TokensAreNeverGivenTwice) {
    std::vector<KeyEvent> kept;
    std::vector<KeyEvent> dropped;
    std::set<MonitorToken> tokens = {addKeyMonitor(kept)};
    for (int round = 0; round < 3; ++round) {
        const MonitorToken keyToken = addKeyMonitor(dropped);
        const MonitorToken dragToken = addMouseMonitor(MouseEventKind::leftMouseDragged);
        const MonitorToken upToken = addMouseMonitor(MouseEventKind::leftMouseUp);
        tokens.insert({keyToken, dragToken, upToken});
        input_->removeMonitor(upToken);
        input_->removeMonitor(keyToken);
        input_->removeMonitor(dragToken);
        // Removing twice, or a token never given, touches no other monitor.
        input_->removeMonitor(keyToken);
        input_->removeMonitor(9999);
    }
    EXPECT_EQ(tokens.size(), 10u);
    settle();
    injector_->tapKey(kCKey);
    ASSERT_TRUE(deliverUntil([&] { return kept.size() == 1; }));
    EXPECT_TRUE(dropped.empty());
}

TEST_F(X11GlobalInputTest, WithoutKeyMonitorsNoKeyboardEventsArrive) {
    std::vector<KeyEvent> keys;
    const MonitorToken token = addKeyMonitor(keys);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    settle();
    injector_->chord({key(XK_Control_L), kCKey});
    ASSERT_TRUE(deliverUntil([&] { return heard(keys, 8); }));
    ASSERT_GT(rawSeen(XCB_INPUT_RAW_KEY_PRESS), 0);
    ASSERT_GT(xkbEventsSeen_, 0);

    input_->removeMonitor(token);
    settle();
    rawSeen_.clear();
    xkbEventsSeen_ = 0;
    injector_->chord({key(XK_Control_L), kCKey});
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    injector_->pressButton(1);
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_KEY_PRESS), 0);
    EXPECT_EQ(xkbEventsSeen_, 0);
}

TEST_F(X11GlobalInputTest, LeftDragReportsDragsThenOneRelease) {
    addMouseMonitor(MouseEventKind::leftMouseDragged);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    addKeyMonitor(sentinelKeys_);
    settle();
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    injector_->pressButton(1);
    ASSERT_TRUE(dragUntilReported());
    moveAbout(4);
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
    EXPECT_EQ(mouse_.back(), MouseEventKind::leftMouseUp);

    // Motion after the release is no drag.
    const std::size_t drags = count(MouseEventKind::leftMouseDragged);
    moveAbout(6);
    awaitSentinel();
    EXPECT_EQ(count(MouseEventKind::leftMouseDragged), drags);
    EXPECT_EQ(count(MouseEventKind::leftMouseUp), 1u);
}

TEST_F(X11GlobalInputTest, MotionWithoutTheButtonIsNeitherReportedNorSelected) {
    addMouseMonitor(MouseEventKind::leftMouseDragged);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    addKeyMonitor(sentinelKeys_);
    settle();
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    moveAbout(8);
    awaitSentinel();
    EXPECT_TRUE(mouse_.empty());
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_MOTION), 0);

    // The same motion with the button held is heard, so the quiet above was the selection's.
    injector_->pressButton(1);
    ASSERT_TRUE(dragUntilReported());
    EXPECT_GT(rawSeen(XCB_INPUT_RAW_MOTION), 0);
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));

    // After the release motion is deselected again.
    rawSeen_.clear();
    settle();
    moveAbout(8);
    awaitSentinel();
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_MOTION), 0);
}

TEST_F(X11GlobalInputTest, OtherButtonsGiveNothing) {
    addMouseMonitor(MouseEventKind::leftMouseDragged);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    addKeyMonitor(sentinelKeys_);
    settle();
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    for (const std::uint8_t button : {3, 2}) {
        injector_->pressButton(button);
        moveAbout(6);
        injector_->releaseButton(button);
    }
    awaitSentinel();
    EXPECT_TRUE(mouse_.empty());
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_MOTION), 0);
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_BUTTON_RELEASE), 2)
        << "the releases never reached the connection";
}

TEST_F(X11GlobalInputTest, WithoutADragMonitorMotionStaysUnselectedWhileTheButtonIsHeld) {
    addMouseMonitor(MouseEventKind::leftMouseUp);
    settle();
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    injector_->pressButton(1);
    moveAbout(8);
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_MOTION), 0);
    EXPECT_EQ(rawSeen(XCB_INPUT_RAW_BUTTON_PRESS), 0);
}

TEST_F(X11GlobalInputTest, ADragMonitorAddedWhileTheButtonIsHeldReportsTheDrag) {
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));
    injector_->pressButton(1);
    injector_->sync();
    addMouseMonitor(MouseEventKind::leftMouseDragged);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    settle();
    ASSERT_TRUE(dragUntilReported());
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
}

TEST_F(X11GlobalInputTest, SwappedButtonsFollowTheMappingChangedWhileMonitoring) {
    addMouseMonitor(MouseEventKind::leftMouseDragged);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    addKeyMonitor(sentinelKeys_);
    settle();
    // Left-handed: the physical button 3 now acts as the primary one.
    std::vector<std::uint8_t> mapping = injector_->buttonMapping();
    ASSERT_GE(mapping.size(), 3u);
    std::swap(mapping[0], mapping[2]);
    injector_->setButtonMapping(mapping);
    injector_->moveTo(static_cast<int>(inClient_.midX()), static_cast<int>(inClient_.midY()));

    injector_->pressButton(1);
    moveAbout(6);
    injector_->releaseButton(1);
    awaitSentinel();
    EXPECT_TRUE(mouse_.empty());

    injector_->pressButton(3);
    ASSERT_TRUE(dragUntilReported());
    injector_->releaseButton(3);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
}

TEST_F(X11GlobalInputTest, ADragUnderTheWindowManagersGrabIsHeard) {
    addMouseMonitor(MouseEventKind::leftMouseDragged);
    addMouseMonitor(MouseEventKind::leftMouseUp);
    settle();
    const Rect client = client_->clientRectInRoot();
    const test::FrameExtents extents = client_->frameExtents();
    ASSERT_GT(extents.top, 2u) << "Openbox gave the window no title bar";
    // On the title bar, left of its centred label: Openbox takes the pointer for itself there.
    injector_->moveTo(static_cast<int>(client.x) + 30,
                      static_cast<int>(client.y) - static_cast<int>(extents.top / 2));
    injector_->pressButton(1);
    injector_->sync();
    ASSERT_EQ(injector_->tryGrabPointer(), XCB_GRAB_STATUS_ALREADY_GRABBED)
        << "no other client grabbed the pointer";
    ASSERT_TRUE(dragUntilReported());
    injector_->releaseButton(1);
    ASSERT_TRUE(deliverUntil([&] { return count(MouseEventKind::leftMouseUp) == 1; }));
    EXPECT_EQ(mouse_.back(), MouseEventKind::leftMouseUp);
}

} // namespace
} // namespace vantile
