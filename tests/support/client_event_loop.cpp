#include "support/client_event_loop.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstring>

#include "support/harness_error.h"
#include "support/xcb_handles.h"

namespace vantile::test {

namespace {

// Another thread may read this connection's events off the socket while it waits for a reply;
// they then sit in xcb's queue without waking poll, so the loop also looks every few ms.
constexpr int kQueueCheckMs = 10;
constexpr std::uint8_t kEventTypeMask = 0x7f;

} // namespace

ClientEventLoop::ClientEventLoop(xcb_connection_t* connection, xcb_window_t root,
                                 ClientProtocolAtoms atoms)
    : connection_(connection), root_(root), atoms_(atoms), stop_(eventfd(0, EFD_CLOEXEC)) {
    if (!stop_.valid()) {
        throw HarnessError(std::string("cannot make an eventfd: ") + std::strerror(errno));
    }
    thread_ = std::thread([this] { run(); });
}

ClientEventLoop::~ClientEventLoop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(stop_.get(), &one, sizeof one);
    thread_.join();
}

void ClientEventLoop::run() {
    pollfd watched[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0},
                         {stop_.get(), POLLIN, 0}};
    while (xcb_connection_has_error(connection_) == 0) {
        drain();
        if (poll(watched, 2, kQueueCheckMs) > 0 && (watched[1].revents & POLLIN) != 0) {
            return;
        }
    }
}

void ClientEventLoop::drain() {
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        if ((event->response_type & kEventTypeMask) == XCB_CLIENT_MESSAGE) {
            handleClientMessage(*reinterpret_cast<xcb_client_message_event_t*>(event.get()));
        }
    }
}

void ClientEventLoop::handleClientMessage(const xcb_client_message_event_t& message) {
    if (message.type != atoms_.wmProtocols || message.format != 32) {
        return;
    }
    const xcb_atom_t protocol = message.data.data32[0];
    if (protocol == atoms_.wmDeleteWindow) {
        closeRequested_ = true;
    } else if (protocol == atoms_.netWmPing) {
        xcb_client_message_event_t pong = message;
        pong.window = root_;
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&pong));
        xcb_flush(connection_);
        ++pingsAnswered_;
    }
}

} // namespace vantile::test
