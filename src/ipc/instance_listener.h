#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ipc/instance_server.h"
#include "ipc/message.h"
#include "ipc/peer_connection.h"

namespace vantile {

struct ListenerLimits {
    // A client gets this long to send its whole message...
    std::chrono::milliseconds messageDeadline{5000};
    // ...but only this long without sending a byte while every slot is taken and others wait to
    // connect, so that clients which send nothing cannot lock out the user's commands.
    std::chrono::milliseconds idleWhileOthersWait{1000};
    // Connections open at once, those waiting for their answer included, so that a stuck or
    // hostile client cannot pile up descriptors.
    std::size_t maxOpenConnections = 32;
};

// Accepts and reads the instance's connections on a thread of its own, so that commands are taken
// even while the main thread is busy, say moving a window and checking where it landed. A URL is
// acknowledged as soon as it has been read whole; every complete message then waits, in the order
// it was read, for the main thread, which learns of it through readyFd().
class InstanceListener {
  public:
    struct Received {
        InstanceMessage message;
        // For a ping or a command: where the answer goes. Empty for a URL.
        PeerConnection peer;
    };

    explicit InstanceListener(std::unique_ptr<InstanceServer> server, ListenerLimits limits = {});
    // Stops the thread and waits for it; messages not taken yet are dropped unanswered.
    ~InstanceListener();
    InstanceListener(const InstanceListener&) = delete;
    InstanceListener& operator=(const InstanceListener&) = delete;

    // Readable exactly while messages wait.
    int readyFd() const { return ready_.get(); }
    // The oldest waiting message; none when none waits.
    std::optional<Received> next();

  private:
    using Clock = std::chrono::steady_clock;
    struct Connection {
        UniqueFd fd;
        MessageReader reader;
        Clock::time_point deadline;
        Clock::time_point lastHeard;
    };

    void run();
    int pollTimeoutMs(Clock::time_point now, bool full) const;
    bool idleTooLong(const Connection& connection, Clock::time_point now) const;
    // Reads what the peer sent; the connection's descriptor is gone once it is done with.
    void readFrom(Connection& connection, Clock::time_point now);
    void acceptWaiting(Clock::time_point now);
    void hand(InstanceMessage message, PeerConnection peer);
    std::size_t openConnections() const { return reading_.size() + awaitingAnswer_; }
    void wake();

    std::unique_ptr<InstanceServer> server_;
    const ListenerLimits limits_;
    UniqueFd wake_;  // tells the thread to stop, or that an answered connection freed its slot
    UniqueFd ready_; // tells the main thread that messages wait
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> awaitingAnswer_{0};
    std::mutex mutex_;
    std::deque<Received> received_;
    // Owned by the thread alone.
    std::vector<Connection> reading_;
    Clock::time_point acceptPausedUntil_{};
    std::thread thread_;
};

} // namespace vantile
