#pragma once

#include <functional>
#include <string_view>
#include <utility>

#include "base/unique_fd.h"

namespace vantile {

// A connection whose message has been read and which waits for its answer. It holds one of the
// instance's connection slots until it is destroyed, which closes it and gives the slot back.
class PeerConnection {
  public:
    PeerConnection() = default;
    PeerConnection(UniqueFd fd, std::function<void()> onClosed)
        : fd_(std::move(fd)), onClosed_(std::move(onClosed)) {}
    PeerConnection(PeerConnection&& other) noexcept
        : fd_(std::move(other.fd_)), onClosed_(std::exchange(other.onClosed_, {})) {}
    PeerConnection& operator=(PeerConnection&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::move(other.fd_);
            onClosed_ = std::exchange(other.onClosed_, {});
        }
        return *this;
    }
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;
    ~PeerConnection() { close(); }

    int fd() const { return fd_.get(); }

  private:
    void close() {
        fd_.reset();
        if (auto onClosed = std::exchange(onClosed_, {})) {
            onClosed();
        }
    }

    UniqueFd fd_;
    std::function<void()> onClosed_;
};

} // namespace vantile
