#pragma once

// Owned xcb replies, and replies still on their way: a request is sent when its Pending is made
// and collected when get() is called, so that many requests can share one round trip.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <utility>

#include "backends/x11/x11_connection.h"

namespace vantile {

template <class T> using ReplyPtr = std::unique_ptr<T, decltype(&std::free)>;

template <class Fn> struct ReplyTraits;
template <class R, class C>
struct ReplyTraits<R* (*)(xcb_connection_t*, C, xcb_generic_error_t**)> {
    using Reply = R;
    using Cookie = C;
};

// Waits for the reply to a request; an error goes to the connection's error handler and gives
// null.
template <class R, class C>
ReplyPtr<R> takeReply(X11Connection& connection,
                      R* (*replyFn)(xcb_connection_t*, C, xcb_generic_error_t**), C cookie) {
    xcb_generic_error_t* error = nullptr;
    R* reply = replyFn(connection.raw(), cookie, &error);
    connection.waitedForServer();
    connection.takeError(error);
    return ReplyPtr<R>(reply, &std::free);
}

// A request whose reply has not been collected yet. Dropping it uncollected tells xcb to throw
// the reply away when it arrives.
template <auto ReplyFn> class Pending {
  public:
    using Reply = typename ReplyTraits<decltype(ReplyFn)>::Reply;
    using Cookie = typename ReplyTraits<decltype(ReplyFn)>::Cookie;

    Pending() = default;
    Pending(X11Connection& connection, Cookie cookie) : connection_(&connection), cookie_(cookie) {}
    Pending(Pending&& other) noexcept
        : connection_(std::exchange(other.connection_, nullptr)), cookie_(other.cookie_) {}
    Pending& operator=(Pending&& other) noexcept {
        if (this != &other) {
            discard();
            connection_ = std::exchange(other.connection_, nullptr);
            cookie_ = other.cookie_;
        }
        return *this;
    }
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;
    ~Pending() { discard(); }

    // The reply, or null when the request failed or was already collected.
    ReplyPtr<Reply> get() {
        if (connection_ == nullptr) {
            return ReplyPtr<Reply>(nullptr, &std::free);
        }
        return takeReply(*std::exchange(connection_, nullptr), ReplyFn, cookie_);
    }

  private:
    void discard() {
        if (connection_ != nullptr) {
            xcb_discard_reply(connection_->raw(), cookie_.sequence);
            connection_ = nullptr;
        }
    }

    X11Connection* connection_ = nullptr;
    Cookie cookie_{};
};

} // namespace vantile
