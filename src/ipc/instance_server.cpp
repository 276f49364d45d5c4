#include "ipc/instance_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantile {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

UniqueFd bindAndListen(const std::string& path, std::string* error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        *error = "socket path too long: " + path;
        return {};
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid()) {
        *error = systemError("cannot create a socket");
        return {};
    }
    if (auto problem = foreignFileAtSocket(path)) {
        *error = *problem;
        return {};
    }
    ::unlink(path.c_str()); // left behind by an instance that died; we hold the lock
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        *error = systemError("cannot listen at " + path);
        return {};
    }
    // Bursts of commands wait here until they are accepted, rather than being refused.
    if (::listen(fd.get(), SOMAXCONN) != 0) {
        *error = systemError("cannot listen at " + path);
        return {};
    }
    return fd;
}

} // namespace

InstanceServer::Acquired InstanceServer::acquire(const RuntimePaths& paths, uid_t allowedPeer) {
    Acquired result;
    if (auto problem = ensurePrivateDirectory(paths.directory)) {
        result.error = *problem;
        return result;
    }
    UniqueFd lock(::open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.valid()) {
        result.error = systemError("cannot open " + paths.lock);
        return result;
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            result.otherInstance = true;
        } else {
            result.error = systemError("cannot lock " + paths.lock);
        }
        return result;
    }
    UniqueFd listen = bindAndListen(paths.socket, &result.error);
    if (!listen.valid()) {
        return result;
    }
    result.server.reset(new InstanceServer(paths, std::move(lock), std::move(listen), allowedPeer));
    return result;
}

InstanceServer::InstanceServer(RuntimePaths paths, UniqueFd lock, UniqueFd listen,
                               uid_t allowedPeer)
    : paths_(std::move(paths)), lock_(std::move(lock)), listen_(std::move(listen)),
      allowedPeer_(allowedPeer) {}

InstanceServer::~InstanceServer() {
    // Removed while the lock is still held, so a new instance never loses its fresh socket.
    ::unlink(paths_.socket.c_str());
}

std::optional<UniqueFd> InstanceServer::acceptPeer() {
    for (;;) {
        UniqueFd fd(::accept4(listen_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.valid()) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return std::nullopt;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
            peer.uid == allowedPeer_) {
            return fd;
        }
        // Another user's process: dropped without reading a byte.
    }
}

MessageReader::Status MessageReader::readAvailable(int fd) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0) {
            return Status::complete;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK ? Status::needMore : Status::failed;
        }
        bytes_.append(buffer, static_cast<std::size_t>(n));
        if (bytes_.size() > maxMessageSize) {
            return Status::failed;
        }
    }
}

bool sendAnswer(int fd, std::string_view bytes) {
    // Answers are small, so a peer that has not taken them within this long is not reading.
    constexpr int waitMs = 1000;
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        pollfd pfd{fd, POLLOUT, 0};
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || ::poll(&pfd, 1, waitMs) <= 0) {
            return false;
        }
    }
    return true;
}

} // namespace vantile
