#include "wayland/fake_input.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "fake-input-client-protocol.h"
#include "support/harness_error.h"

namespace vantile::test {

namespace {

// Absolute motion came with version 3 and keys with version 4; nothing later is needed.
constexpr std::uint32_t kNeededVersion = 3;
constexpr std::uint32_t kNewestKnown = 4;

struct Offer {
    std::uint32_t name = 0;
    std::uint32_t version = 0;
};

void onGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
        *static_cast<Offer*>(data) = {name, version};
    }
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{onGlobal, onGlobalRemove};

} // namespace

void FakeInput::Release::operator()(wl_display* display) const {
    wl_display_disconnect(display);
}

void FakeInput::Release::operator()(org_kde_kwin_fake_input* input) const {
    org_kde_kwin_fake_input_destroy(input);
}

FakeInput::FakeInput(const std::string& display) : display_(wl_display_connect(display.c_str())) {
    if (!display_) {
        throw HarnessError("cannot connect to the Wayland display " + display);
    }
    Offer offer;
    std::unique_ptr<wl_registry, decltype(&wl_registry_destroy)> registry(
        wl_display_get_registry(display_.get()), &wl_registry_destroy);
    wl_registry_add_listener(registry.get(), &registryListener, &offer);
    roundtrip("listing the globals");
    if (offer.version < kNeededVersion) {
        throw HarnessError(offer.name == 0 ? "the compositor offers no fake input"
                                           : "the compositor's fake input is version " +
                                                 std::to_string(offer.version) + ", too old");
    }
    input_.reset(static_cast<org_kde_kwin_fake_input*>(
        wl_registry_bind(registry.get(), offer.name, &org_kde_kwin_fake_input_interface,
                         std::min(offer.version, kNewestKnown))));
    org_kde_kwin_fake_input_authenticate(input_.get(), "vantile tests",
                                         "drives the desktop in end-to-end tests");
    roundtrip("introducing itself");
}

void FakeInput::moveTo(double x, double y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(input_.get(), wl_fixed_from_double(x),
                                                    wl_fixed_from_double(y));
    roundtrip("moving the pointer");
}

void FakeInput::button(std::uint32_t state) {
    org_kde_kwin_fake_input_button(input_.get(), BTN_LEFT, state);
    roundtrip("pressing or releasing the left button");
}

void FakeInput::key(std::uint32_t code, bool pressed) {
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(input_.get())) <
        ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION) {
        throw HarnessError("the compositor's fake input has no keys");
    }
    org_kde_kwin_fake_input_keyboard_key(input_.get(), code, pressed ? 1 : 0);
    roundtrip("pressing or releasing a key");
}

void FakeInput::chord(const std::vector<std::uint32_t>& codes) {
    for (const std::uint32_t code : codes) {
        key(code, true);
    }
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) {
        key(*code, false);
    }
}

void FakeInput::roundtrip(const char* what) {
    if (wl_display_roundtrip(display_.get()) < 0) {
        throw HarnessError(std::string("the Wayland connection failed while ") + what + ": " +
                           std::strerror(wl_display_get_error(display_.get())));
    }
}

} // namespace vantile::test
