#include "backends/x11/x11_key_grabs.h"

#include <X11/keysym.h>

#include <algorithm>
#include <array>

#include "backends/x11/x11_keys.h"
#include "backends/x11/x11_reply.h"

namespace vantile {

namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;
// Where Num Lock sits on nearly every keyboard map, for a server that does not say.
constexpr std::uint16_t kUsualNumLock = XCB_MOD_MASK_2;
constexpr std::uint16_t kChordModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

} // namespace

X11KeyGrabs::X11KeyGrabs(X11Connection& connection) : connection_(connection) {
    numLock_ = readNumLockMask();
    subscription_ =
        connection_.addEventHandler([this](const xcb_generic_event_t& e) { onEvent(e); });
}

X11KeyGrabs::~X11KeyGrabs() {
    for (const Grab& grab : grabs_) {
        ungrab(grab);
    }
    connection_.flush();
}

Registration X11KeyGrabs::registerShortcut(const std::string& id, const KeyChord& chord,
                                           ShortcutPress pressed) {
    const auto keycode = xKeycodeForKeyCode(chord.keyCode);
    if (!keycode || std::ranges::any_of(
                        grabs_, [&](const Grab& g) { return g.id == id || g.chord == chord; })) {
        return Registration::refused;
    }
    Grab entry{id, chord, *keycode, xStateForModifierFlags(chord.modifiers), std::move(pressed)};
    if ((entry.modifiers & ~kChordModifiers) != 0) {
        return Registration::refused;
    }
    const Registration result = grab(entry);
    if (result == Registration::active) {
        grabs_.push_back(std::move(entry));
    }
    return result;
}

void X11KeyGrabs::unregisterShortcut(const std::string& id) {
    const auto found = std::ranges::find(grabs_, id, &Grab::id);
    if (found != grabs_.end()) {
        ungrab(*found);
        grabs_.erase(found);
        connection_.flush();
    }
}

// Both variants or neither: a chord that works only with Num Lock off would puzzle everyone.
Registration X11KeyGrabs::grab(const Grab& grab) {
    const std::array<std::uint16_t, 2> variants{grab.modifiers,
                                                std::uint16_t(grab.modifiers | numLock_)};
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint16_t modifiers : variants) {
        cookies.push_back(xcb_grab_key_checked(connection_.raw(), 0, connection_.root(), modifiers,
                                               grab.keycode, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_SYNC));
    }
    Registration result = Registration::active;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_.raw(), cookie)) {
            if (error->error_code == XCB_ACCESS) {
                result = Registration::taken;
                std::free(error);
            } else {
                result = Registration::refused;
                connection_.takeError(error);
            }
        }
    }
    connection_.waitedForServer();
    if (result != Registration::active) {
        ungrab(grab);
    }
    return result;
}

void X11KeyGrabs::ungrab(const Grab& grab) {
    // Only our own grabs are let go; one the server refused us is left to its holder.
    for (const std::uint16_t modifiers :
         {grab.modifiers, std::uint16_t(grab.modifiers | numLock_)}) {
        xcb_ungrab_key(connection_.raw(), grab.keycode, connection_.root(), modifiers);
    }
}

void X11KeyGrabs::onEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & kEventTypeMask;
    if (type == XCB_KEY_PRESS) {
        onKeyPress(reinterpret_cast<const xcb_key_press_event_t&>(event));
    } else if (type == XCB_MAPPING_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
        if (notify.request == XCB_MAPPING_KEYBOARD || notify.request == XCB_MAPPING_MODIFIER) {
            regrabAll();
        }
    }
}

// Every press we are sent comes from one of our grabs and is answered, whatever it turns out to
// be: the keyboard stays frozen until then. A press while the grab is active already (a repeat,
// or another key while the chord is held) froze nothing, and the answer is ignored then.
void X11KeyGrabs::onKeyPress(const xcb_key_press_event_t& press) {
    const std::uint16_t modifiers = press.state & 0xFF & ~numLock_;
    const auto found = std::ranges::find_if(grabs_, [&](const Grab& g) {
        return g.keycode == press.detail && g.modifiers == modifiers;
    });
    std::function<void()> work;
    if (found != grabs_.end()) {
        // A copy: the work may unregister this very shortcut.
        const ShortcutPress pressed = found->pressed;
        if (asking_) {
            asking_();
        }
        work = pressed();
        if (asked_) {
            asked_();
        }
    }
    xcb_allow_events(connection_.raw(), work ? XCB_ALLOW_ASYNC_KEYBOARD : XCB_ALLOW_REPLAY_KEYBOARD,
                     press.time);
    connection_.flush();
    if (work) {
        work();
    }
}

void X11KeyGrabs::regrabAll() {
    for (const Grab& grab : grabs_) {
        ungrab(grab);
    }
    numLock_ = readNumLockMask();
    // A key another program took meanwhile stays with it.
    std::erase_if(grabs_, [&](const Grab& g) { return grab(g) != Registration::active; });
    connection_.flush();
}

// The modifier that the Num Lock key sets, from the modifier and keyboard mappings.
std::uint16_t X11KeyGrabs::readNumLockMask() {
    const xcb_setup_t* setup = xcb_get_setup(connection_.raw());
    const std::uint8_t first = setup->min_keycode;
    const std::uint8_t count = setup->max_keycode - first + 1;
    Pending<&xcb_get_modifier_mapping_reply> modifierMap(
        connection_, xcb_get_modifier_mapping(connection_.raw()));
    const auto keyboard = takeReply(connection_, &xcb_get_keyboard_mapping_reply,
                                    xcb_get_keyboard_mapping(connection_.raw(), first, count));
    const auto modifiers = modifierMap.get();
    if (!keyboard || !modifiers) {
        return kUsualNumLock;
    }
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKey = keyboard->keysyms_per_keycode;
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const int key = keys[modifier * perModifier + i] - first;
            if (key < 0 || key >= count) {
                continue;
            }
            for (int level = 0; level < perKey; ++level) {
                if (symbols[key * perKey + level] == XK_Num_Lock) {
                    return std::uint16_t(1u << modifier);
                }
            }
        }
    }
    return kUsualNumLock;
}

} // namespace vantile
