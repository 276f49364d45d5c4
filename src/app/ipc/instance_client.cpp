#include "app/ipc/instance_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/ipc/unique_fd.h"

namespace vantile {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Reads until the instance closes its side.
bool readReply(int fd, std::chrono::milliseconds timeout, std::string* reply) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(std::max<long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A peer that closes without reading all we sent resets the connection instead of
        // ending it; what it wrote before is still its whole answer.
        if (n <= 0) {
            return n == 0 || errno == ECONNRESET;
        }
        reply->append(buffer, static_cast<std::size_t>(n));
        if (reply->size() > maxMessageSize) {
            return false;
        }
    }
}

// URLs may say what the user is doing: they go only to an instance of the same user.
bool servedByThisUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
}

// Connects and writes the whole message; the connection stays open for the answer.
SendResult deliver(const std::string& socketPath, const InstanceMessage& message, UniqueFd* fd,
                   std::string* error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        *error = "socket path too long: " + socketPath;
        return SendResult::failed;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    *fd = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd->valid()) {
        *error = std::string("cannot create a socket: ") + std::strerror(errno);
        return SendResult::failed;
    }
    // An instance that has stopped reading (its backlog full) must not hang the command.
    const timeval sendTimeout{2, 0};
    ::setsockopt(fd->get(), SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    if (::connect(fd->get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // A missing or stale socket both mean nobody is listening.
        if (errno == ENOENT || errno == ECONNREFUSED) {
            return SendResult::noInstance;
        }
        *error = "cannot reach the running instance at " + socketPath + ": " + std::strerror(errno);
        return SendResult::failed;
    }
    if (!servedByThisUser(fd->get())) {
        *error = "the socket at " + socketPath + " belongs to another user; not sending to it";
        return SendResult::failed;
    }
    if (!writeAll(fd->get(), encodeMessage(message))) {
        *error = std::string("the running instance closed the connection: ") + std::strerror(errno);
        return SendResult::failed;
    }
    ::shutdown(fd->get(), SHUT_WR);
    return SendResult::delivered;
}

} // namespace

SendResult sendToInstance(const std::string& socketPath, const InstanceMessage& message,
                          std::chrono::milliseconds replyTimeout, std::string* error) {
    if (message.kind != InstanceMessage::Kind::url) {
        std::string reply;
        const auto result = askInstance(socketPath, message, replyTimeout, &reply, error);
        if (result == SendResult::delivered && message.kind == InstanceMessage::Kind::ping &&
            reply != pongReply) {
            *error = "the running instance did not answer in time";
            return SendResult::failed;
        }
        return result;
    }
    UniqueFd fd;
    return deliver(socketPath, message, &fd, error);
}

SendResult askInstance(const std::string& socketPath, const InstanceMessage& message,
                       std::chrono::milliseconds replyTimeout, std::string* reply,
                       std::string* error) {
    UniqueFd fd;
    const auto result = deliver(socketPath, message, &fd, error);
    if (result != SendResult::delivered) {
        return result;
    }
    if (!readReply(fd.get(), replyTimeout, reply)) {
        *error = "the running instance did not answer in time";
        return SendResult::failed;
    }
    return SendResult::delivered;
}

} // namespace vantile
