#include "support/input_injection.h"

#include <xcb/xtest.h>

#include <string>

#include "support/harness_error.h"
#include "support/x_server.h"

namespace vantile::test {

namespace {

constexpr std::uint8_t kAbsolute = 0;
constexpr std::uint8_t kRelative = 1;
// The server's own time: the input happens when the request is carried out.
constexpr xcb_timestamp_t kNow = XCB_CURRENT_TIME;
// The XTest devices of the core pointer and keyboard.
constexpr std::uint8_t kCoreDevices = 0;

} // namespace

InputInjector::InputInjector(const XServer& server)
    : connection_(connectToDisplay(server.display())), root_(server.root()) {
    XcbReply<xcb_test_get_version_reply_t> version(xcb_test_get_version_reply(
        connection_.get(), xcb_test_get_version(connection_.get(), 2, 2), nullptr));
    if (!version) {
        throw HarnessError("the X server on " + server.display() + " lacks XTest");
    }
}

xcb_keycode_t InputInjector::keycodeOf(xcb_keysym_t keysym) {
    xcb_connection_t* c = connection_.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    XcbReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr));
    if (mapping) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perKey = mapping->keysyms_per_keycode;
        const int total = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
        for (int i = 0; perKey > 0 && i < total; ++i) {
            if (syms[i] == keysym) {
                return static_cast<xcb_keycode_t>(setup->min_keycode + i / perKey);
            }
        }
    }
    throw HarnessError("no key gives the keysym " + std::to_string(keysym));
}

void InputInjector::fake(std::uint8_t type, std::uint8_t detail, int x, int y) {
    xcb_test_fake_input(connection_.get(), type, detail, kNow, root_, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), kCoreDevices);
}

void InputInjector::pressKey(xcb_keycode_t keycode) {
    fake(XCB_KEY_PRESS, keycode);
}

void InputInjector::releaseKey(xcb_keycode_t keycode) {
    fake(XCB_KEY_RELEASE, keycode);
}

void InputInjector::tapKey(xcb_keycode_t keycode) {
    pressKey(keycode);
    releaseKey(keycode);
}

void InputInjector::chord(const std::vector<xcb_keycode_t>& keys) {
    if (keys.empty()) {
        return;
    }
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        pressKey(keys[i]);
    }
    tapKey(keys.back());
    for (std::size_t i = keys.size() - 1; i-- > 0;) {
        releaseKey(keys[i]);
    }
}

void InputInjector::pressButton(std::uint8_t button) {
    fake(XCB_BUTTON_PRESS, button);
}

void InputInjector::releaseButton(std::uint8_t button) {
    fake(XCB_BUTTON_RELEASE, button);
}

void InputInjector::moveTo(int x, int y) {
    fake(XCB_MOTION_NOTIFY, kAbsolute, x, y);
}

void InputInjector::moveBy(int dx, int dy) {
    fake(XCB_MOTION_NOTIFY, kRelative, dx, dy);
}

void InputInjector::sync() {
    roundTrip(connection_.get());
}

std::uint16_t InputInjector::stateMask() {
    XcbReply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(
        connection_.get(), xcb_query_pointer(connection_.get(), root_), nullptr));
    if (!pointer) {
        throw HarnessError("cannot query the pointer");
    }
    return pointer->mask;
}

std::uint8_t InputInjector::tryGrabPointer() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(
        c,
        xcb_grab_pointer(c, 0, root_, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                         XCB_NONE, XCB_CURRENT_TIME),
        nullptr));
    if (!reply) {
        throw HarnessError("cannot try to grab the pointer");
    }
    if (reply->status == XCB_GRAB_STATUS_SUCCESS) {
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        roundTrip(c);
    }
    return reply->status;
}

void InputInjector::setButtonMapping(const std::vector<std::uint8_t>& mapping) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_set_pointer_mapping_reply_t> reply(xcb_set_pointer_mapping_reply(
        c, xcb_set_pointer_mapping(c, static_cast<std::uint8_t>(mapping.size()), mapping.data()),
        nullptr));
    if (!reply || reply->status != XCB_MAPPING_STATUS_SUCCESS) {
        throw HarnessError("the server refused the button mapping");
    }
}

std::vector<std::uint8_t> InputInjector::buttonMapping() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_pointer_mapping_reply_t> reply(
        xcb_get_pointer_mapping_reply(c, xcb_get_pointer_mapping(c), nullptr));
    if (!reply) {
        throw HarnessError("cannot read the button mapping");
    }
    const std::uint8_t* map = xcb_get_pointer_mapping_map(reply.get());
    return {map, map + xcb_get_pointer_mapping_map_length(reply.get())};
}

} // namespace vantile::test
