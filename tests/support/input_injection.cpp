#include "support/input_injection.h"

namespace vantile::test {

xcb_keycode_t InputInjector::keycodeOf(xcb_keysym_t keysym) {
    xcb_connection_t* c = connection_.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    XcbReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        c,
        xcb_get_keyboard_mapping(c, setup->min_keycode,
                                 std::uint8_t(setup->max_keycode - setup->min_keycode + 1)),
        nullptr));
    const int perKey = mapping ? mapping->keysyms_per_keycode : 0;
    for (int i = 0; perKey > 0 && i < xcb_get_keyboard_mapping_keysyms_length(mapping.get()); ++i) {
        if (xcb_get_keyboard_mapping_keysyms(mapping.get())[i] == keysym) {
            return xcb_keycode_t(setup->min_keycode + i / perKey);
        }
    }
    throw HarnessError("no key gives the keysym " + std::to_string(keysym));
}

void InputInjector::chord(const std::vector<xcb_keycode_t>& keys) {
    for (const xcb_keycode_t key : keys) {
        fake(XCB_KEY_PRESS, key);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        fake(XCB_KEY_RELEASE, *key);
    }
}

void InputInjector::swapPrimaryButton() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_pointer_mapping_reply_t> current(
        xcb_get_pointer_mapping_reply(c, xcb_get_pointer_mapping(c), nullptr));
    std::uint8_t* map = current ? xcb_get_pointer_mapping_map(current.get()) : nullptr;
    if (!map || current->map_len < 3) {
        throw HarnessError("the pointer has no third button");
    }
    std::swap(map[0], map[2]);
    XcbReply<xcb_set_pointer_mapping_reply_t> set(xcb_set_pointer_mapping_reply(
        c, xcb_set_pointer_mapping(c, current->map_len, map), nullptr));
    if (!set || set->status != XCB_MAPPING_STATUS_SUCCESS) {
        throw HarnessError("the server refused the button mapping");
    }
}

} // namespace vantile::test
