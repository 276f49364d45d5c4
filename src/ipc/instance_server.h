#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/unique_fd.h"
#include "ipc/message.h"
#include "ipc/runtime_paths.h"

namespace vantile {

// The listening side of the one instance per display. Holding the lock file makes this process
// the instance; the socket is bound only while the lock is held, so a stale socket left by a
// crashed instance is safely replaced.
class InstanceServer {
  public:
    struct Acquired;
    // Becomes the instance, or reports that another process already is (`server` empty,
    // `otherInstance` true), or why it could not (`error`).
    static Acquired acquire(const RuntimePaths& paths, uid_t allowedPeer);

    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    int listenFd() const { return listen_.get(); }
    // The next pending connection from the allowed user, non-blocking; none when no connection
    // is pending. Connections from anyone else are closed unread.
    std::optional<UniqueFd> acceptPeer();

  private:
    InstanceServer(RuntimePaths paths, UniqueFd lock, UniqueFd listen, uid_t allowedPeer);

    RuntimePaths paths_;
    UniqueFd lock_;
    UniqueFd listen_;
    uid_t allowedPeer_;
};

struct InstanceServer::Acquired {
    std::unique_ptr<InstanceServer> server;
    bool otherInstance = false;
    std::string error;
};

// Collects one message from a non-blocking connection until the peer closes its side.
class MessageReader {
  public:
    enum class Status { needMore, complete, failed };
    Status readAvailable(int fd);
    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// Writes an answer to a non-blocking connection, waiting a moment at most for a peer that does
// not read; false when not all of it went out.
bool sendAnswer(int fd, std::string_view bytes);

} // namespace vantile
