#include "ipc/instance_listener.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace vantile {

namespace {

// Out of descriptors (or memory), the listening socket stays readable: waiting a moment beats
// spinning on it.
constexpr auto acceptPause = std::chrono::milliseconds(200);

UniqueFd makeEventFd() {
    return UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

void signal(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

void drain(int fd) {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd, &count, sizeof count);
}

} // namespace

InstanceListener::InstanceListener(std::unique_ptr<InstanceServer> server, ListenerLimits limits)
    : server_(std::move(server)), limits_(limits), wake_(makeEventFd()), ready_(makeEventFd()) {
    // Without these the thread could never be stopped; the instance then takes no commands.
    if (wake_.valid() && ready_.valid()) {
        thread_ = std::thread([this] { run(); });
    }
}

InstanceListener::~InstanceListener() {
    stopping_ = true;
    wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    received_.clear(); // while what their slots are given back to still exists
}

std::optional<InstanceListener::Received> InstanceListener::next() {
    std::lock_guard lock(mutex_);
    if (received_.empty()) {
        return std::nullopt;
    }
    Received message = std::move(received_.front());
    received_.pop_front();
    if (received_.empty()) {
        drain(ready_.get());
    }
    return message;
}

void InstanceListener::hand(InstanceMessage message, PeerConnection peer) {
    std::lock_guard lock(mutex_);
    received_.push_back({std::move(message), std::move(peer)});
    signal(ready_.get());
}

void InstanceListener::wake() {
    signal(wake_.get());
}

bool InstanceListener::idleTooLong(const Connection& connection, Clock::time_point now) const {
    return now - connection.lastHeard >= limits_.idleWhileOthersWait;
}

int InstanceListener::pollTimeoutMs(Clock::time_point now, bool full) const {
    std::optional<Clock::time_point> next;
    const auto consider = [&next](Clock::time_point when) {
        if (!next || when < *next) {
            next = when;
        }
    };
    for (const auto& connection : reading_) {
        consider(connection.deadline);
        if (full && !idleTooLong(connection, now)) {
            consider(connection.lastHeard + limits_.idleWhileOthersWait);
        }
    }
    if (acceptPausedUntil_ > now) {
        consider(acceptPausedUntil_);
    }
    if (!next) {
        return -1;
    }
    // Rounded up: waking a moment early would only spin until the time has come.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now).count();
    return static_cast<int>(std::max<decltype(wait)>(wait, 0));
}

void InstanceListener::run() {
    std::vector<pollfd> fds;
    while (!stopping_) {
        auto now = Clock::now();
        std::erase_if(reading_, [now](const Connection& c) { return c.deadline <= now; });
        const bool full = openConnections() >= limits_.maxOpenConnections;
        // While every slot is taken, the socket is watched only when some client could give its
        // slot up to one that waits; otherwise its pending connections would wake us at once.
        const bool canMakeRoom =
            std::any_of(reading_.begin(), reading_.end(),
                        [&](const Connection& c) { return idleTooLong(c, now); });
        const bool watchSocket = now >= acceptPausedUntil_ && (!full || canMakeRoom);
        fds.clear();
        fds.push_back({wake_.get(), POLLIN, 0});
        fds.push_back({watchSocket ? server_->listenFd() : -1, POLLIN, 0});
        for (const auto& connection : reading_) {
            fds.push_back({connection.fd.get(), POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), pollTimeoutMs(now, full)) < 0) {
            continue; // interrupted: everything is looked at afresh
        }
        if (fds[0].revents != 0) {
            drain(wake_.get());
        }
        now = Clock::now();
        for (std::size_t i = 0; i < reading_.size(); ++i) {
            if (fds[i + 2].revents != 0) {
                readFrom(reading_[i], now);
            }
        }
        std::erase_if(reading_, [](const Connection& c) { return !c.fd.valid(); });
        if ((fds[1].revents & POLLIN) != 0) {
            if (openConnections() >= limits_.maxOpenConnections) {
                std::erase_if(reading_, [&](const Connection& c) { return idleTooLong(c, now); });
            }
            acceptWaiting(now);
        }
    }
}

void InstanceListener::acceptWaiting(Clock::time_point now) {
    while (openConnections() < limits_.maxOpenConnections) {
        auto fd = server_->acceptPeer();
        if (!fd) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                acceptPausedUntil_ = now + acceptPause;
            }
            return;
        }
        reading_.push_back({std::move(*fd), {}, now + limits_.messageDeadline, now});
        // Read at once: a client has usually sent its message before it is accepted, and reading
        // each in turn keeps commands sent one after another in their order.
        readFrom(reading_.back(), now);
        if (!reading_.back().fd.valid()) {
            reading_.pop_back();
        }
    }
}

void InstanceListener::readFrom(Connection& connection, Clock::time_point now) {
    const std::size_t before = connection.reader.bytes().size();
    const auto status = connection.reader.readAvailable(connection.fd.get());
    if (connection.reader.bytes().size() != before) {
        connection.lastHeard = now;
    }
    if (status == MessageReader::Status::needMore) {
        return;
    }
    auto message = status == MessageReader::Status::complete
                       ? decodeMessage(connection.reader.bytes())
                       : std::nullopt;
    if (!message) {
        connection.fd.reset(); // closed unanswered: the client reports that it was not taken
        return;
    }
    if (message->kind == InstanceMessage::Kind::url) {
        hand(std::move(*message), {});
        // Taken: the client may now report it done, whatever then comes of the URL.
        sendAnswer(connection.fd.get(), ackReply);
        connection.fd.reset();
        return;
    }
    ++awaitingAnswer_;
    hand(std::move(*message), PeerConnection(std::move(connection.fd), [this] {
             --awaitingAnswer_;
             wake();
         }));
}

} // namespace vantile
