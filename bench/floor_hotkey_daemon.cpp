// The least any hotkey tool must do to snap a window, the floor the input benchmark measures
// vantile against: a passive grab of Ctrl+Alt+Super+Left on the root (a chord vantile leaves
// free, so that both run side by side and are timed in turns), and on each press one read of the
// active window and one _NET_MOVERESIZE_WINDOW to the client geometry X Y W H of the command line
// (as wmctrl -e takes it). Prints "ready" once the grab holds; exits with 1 when it cannot grab.

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr xcb_keysym_t leftKeysym = 0xff51; // XK_Left

[[noreturn]] void fail(const char* message) {
    std::fprintf(stderr, "floor hotkey daemon: %s\n", message);
    std::exit(1);
}

xcb_atom_t atomNamed(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

// The first key code that gives the keysym, as XKeysymToKeycode finds it; 0 when none does.
xcb_keycode_t keycodeOf(xcb_connection_t* c, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* reply = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, std::uint8_t(count)), nullptr);
    const int length = reply != nullptr ? xcb_get_keyboard_mapping_keysyms_length(reply) : 0;
    xcb_keycode_t code = 0;
    for (int i = 0; i < length && code == 0; ++i) {
        if (xcb_get_keyboard_mapping_keysyms(reply)[i] == keysym) {
            code = xcb_keycode_t(setup->min_keycode + i / reply->keysyms_per_keycode);
        }
    }
    std::free(reply);
    return code;
}

// With and without Num Lock (Mod2), so that the shortcut works either way.
void grab(xcb_connection_t* c, xcb_window_t root, xcb_keycode_t key) {
    const std::uint16_t chord = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
    for (const std::uint16_t modifiers : {chord, std::uint16_t(chord | XCB_MOD_MASK_2)}) {
        const auto cookie = xcb_grab_key_checked(c, 0, root, modifiers, key, XCB_GRAB_MODE_ASYNC,
                                                 XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            fail(error->error_code == XCB_ACCESS
                     ? "Ctrl+Alt+Super+Left is grabbed by another client"
                     : "cannot grab Ctrl+Alt+Super+Left");
        }
    }
}

xcb_window_t activeWindow(xcb_connection_t* c, xcb_window_t root, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, property, XCB_ATOM_WINDOW, 0, 1), nullptr);
    xcb_window_t window = XCB_NONE;
    if (reply != nullptr && xcb_get_property_value_length(reply) == sizeof window) {
        std::memcpy(&window, xcb_get_property_value(reply), sizeof window);
    }
    std::free(reply);
    return window;
}

void moveResize(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                const std::uint32_t (&geometry)[4]) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    // North-west gravity, x, y, width and height given, sent as a pager (source 2) would, which
    // window managers carry out without second-guessing an application's request.
    message.data.data32[0] = XCB_GRAVITY_NORTH_WEST | 0xfu << 8 | 2u << 12;
    std::copy_n(geometry, 4, message.data.data32 + 1);
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
}

} // namespace

int main(int argc, char** argv) {
    std::uint32_t geometry[4];
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        // Negative corners wrap to the two's complement the protocol carries.
        geometry[i] = argc == 5 ? std::uint32_t(std::strtol(argv[i + 1], &end, 10)) : 0;
        if (end == nullptr || end == argv[i + 1] || *end != '\0') {
            fail("usage: vantile_floor_hotkey_daemon X Y W H (integers)");
        }
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        fail("cannot connect to the X display");
    }
    // The first screen's root: a desktop of several X screens is beyond what a floor needs.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t active = atomNamed(c, "_NET_ACTIVE_WINDOW");
    const xcb_atom_t moveResizeWindow = atomNamed(c, "_NET_MOVERESIZE_WINDOW");
    const xcb_keycode_t left = keycodeOf(c, leftKeysym);
    if (left == 0) {
        fail("no key of the keyboard gives Left");
    }
    grab(c, root, left);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS &&
            reinterpret_cast<xcb_key_press_event_t*>(event)->detail == left) {
            if (const xcb_window_t window = activeWindow(c, root, active); window != XCB_NONE) {
                moveResize(c, root, window, moveResizeWindow, geometry);
            }
        }
        std::free(event);
    }
    fail("lost the X connection");
}
