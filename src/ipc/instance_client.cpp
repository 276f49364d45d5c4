#include "ipc/instance_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/unique_fd.h"
#include "ipc/runtime_paths.h"

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
    // The instance would drop a longer one unread, which the client could not tell from a
    // command that was lost.
    const std::string bytes = encodeMessage(message);
    if (bytes.size() > maxMessageSize) {
        *error = std::to_string(bytes.size()) + " bytes, at most " + std::to_string(maxMessageSize);
        return SendResult::tooLong;
    }
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
        const int cause = errno;
        // A missing or stale socket both mean nobody is listening; a folder there means nobody
        // ever can.
        if (cause == ENOENT || cause == ECONNREFUSED) {
            if (auto problem = foreignFileAtSocket(socketPath)) {
                *error = *problem;
                return SendResult::failed;
            }
            return SendResult::noInstance;
        }
        if (cause == EAGAIN) {
            *error = "the running instance has more connections waiting than it takes; nothing "
                     "was sent, try again";
            return SendResult::failed;
        }
        *error = "cannot reach the running instance at " + socketPath + ": " + std::strerror(cause);
        return SendResult::failed;
    }
    if (!servedByThisUser(fd->get())) {
        *error = "the socket at " + socketPath + " belongs to another user; not sending to it";
        return SendResult::failed;
    }
    if (!writeAll(fd->get(), bytes)) {
        *error = errno == EAGAIN ? std::string("the running instance did not read the message")
                                 : std::string("the running instance closed the connection: ") +
                                       std::strerror(errno);
        return SendResult::failed;
    }
    ::shutdown(fd->get(), SHUT_WR);
    return SendResult::delivered;
}

} // namespace

SendResult sendToInstance(const std::string& socketPath, const InstanceMessage& message,
                          std::chrono::milliseconds replyTimeout, std::string* error) {
    std::string reply;
    const auto result = askInstance(socketPath, message, replyTimeout, &reply, error);
    if (result != SendResult::delivered || message.kind == InstanceMessage::Kind::command) {
        return result;
    }
    const bool url = message.kind == InstanceMessage::Kind::url;
    if (reply != (url ? ackReply : pongReply)) {
        *error = reply.empty() ? std::string("the running instance closed the connection without "
                                             "taking the ") +
                                     (url ? "URL" : "ping")
                               : "the running instance answered what this vantile cannot read";
        return SendResult::failed;
    }
    return SendResult::delivered;
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
        *error = "the running instance did not answer within " +
                 std::to_string(replyTimeout.count()) + " ms; it may not have taken the " +
                 (message.kind == InstanceMessage::Kind::url ? "URL" : "request");
        return SendResult::failed;
    }
    return SendResult::delivered;
}

} // namespace vantile
