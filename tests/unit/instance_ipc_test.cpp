// One instance per display and the socket between `vantile` and it: who may connect, what gets
// acknowledged, and how slow, silent or oversized clients are dealt with.

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "ipc/instance_client.h"
#include "ipc/instance_listener.h"
#include "ipc/instance_server.h"
#include "ipc/runtime_paths.h"

namespace vantile {
namespace {

namespace fs = std::filesystem;

TEST(RuntimePaths, DisplayKeyIgnoresTheScreenAndIsAFileName) {
    // The display, then "=" and its key; none after the "=" when it has no key.
    for (const std::string row : {":1=1", ":1.0=1", "localhost:10.0=localhost_10",
                                  "../../x:3=______x_3", "=", ":=", ":a=", "host="}) {
        const auto key = row.substr(row.rfind('=') + 1);
        EXPECT_EQ(displayKey(row.substr(0, row.rfind('='))),
                  key.empty() ? std::nullopt : std::optional(key))
            << row;
    }
    EXPECT_EQ(waylandDisplayKey("wayland-0"), "wayland_wayland-0");
    EXPECT_EQ(waylandDisplayKey("/run/user/1000/wayland-1"), "wayland__run_user_1000_wayland-1");
    EXPECT_EQ(waylandDisplayKey(""), std::nullopt);
}

class InstanceIpcTest : public ::testing::Test {
  protected:
    SendResult send(InstanceMessage::Kind kind, const std::string& payload,
                    std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return sendToInstance(paths.socket, {kind, payload}, timeout, &error);
    }
    SendResult sendUrl(const std::string& url) { return send(InstanceMessage::Kind::url, url); }
    std::unique_ptr<InstanceListener> listen() {
        auto acquired = InstanceServer::acquire(paths, ::getuid());
        if (!acquired.server) {
            throw std::runtime_error("not the instance: " + acquired.error);
        }
        return std::make_unique<InstanceListener>(std::move(acquired.server));
    }

    InstanceIpcTest() {
        char pattern[] = "/tmp/vantile-ipc-test-XXXXXX"; // short, as socket paths must be
        root = ::mkdtemp(pattern);
        paths = runtimePaths(root, "7");
    }
    ~InstanceIpcTest() override { fs::remove_all(root); }

    fs::path root;
    RuntimePaths paths;
    std::string error;
};

TEST_F(InstanceIpcTest, TheFolderMustBePrivateAndAFolderAtTheSocketPathIsNamedOnBothEnds) {
    const std::string dir = root / "private";
    EXPECT_FALSE(ensurePrivateDirectory(dir));
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ::chmod(dir.c_str(), 0755);
    const auto problem = ensurePrivateDirectory(dir);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("0700"), std::string::npos) << *problem;
    ::chmod(dir.c_str(), 0700);
    fs::create_directory_symlink(dir, root / "link");
    EXPECT_TRUE(ensurePrivateDirectory(root / "link")) << "a symlink is not the folder";

    ASSERT_FALSE(ensurePrivateDirectory(paths.directory));
    fs::create_directory(paths.socket);
    const auto acquired = InstanceServer::acquire(paths, ::getuid());
    EXPECT_FALSE(acquired.server);
    EXPECT_EQ(acquired.error, paths.socket + " is a directory, not vantile's socket; remove it");
    EXPECT_EQ(sendUrl("vantile://show"), SendResult::failed);
    EXPECT_EQ(error, acquired.error);
}

TEST_F(InstanceIpcTest, OneInstanceAtATimeAndAStaleSocketIsReplaced) {
    auto first = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(first.server) << first.error;
    auto second = InstanceServer::acquire(paths, ::getuid());
    EXPECT_FALSE(second.server);
    EXPECT_TRUE(second.otherInstance);
    // A crashed instance leaves its socket file behind; nobody answers there.
    first.server.reset();
    {
        UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{AF_UNIX, {}};
        std::strcpy(address.sun_path, paths.socket.c_str());
        ASSERT_EQ(::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    EXPECT_EQ(sendUrl("x://show"), SendResult::noInstance);
    auto listener = listen();
    EXPECT_EQ(sendUrl("x://show"), SendResult::delivered) << error;
}

// Acknowledged on the listener's thread, even while nobody takes them off its queue.
TEST_F(InstanceIpcTest, UrlsUpToTheLimitAreAcknowledgedAndKeepTheirOrder) {
    auto listener = listen();
    const std::string longest = "x://" + std::string(maxMessageSize - 8, 'x'); // after "url\n"
    const std::vector<std::string> urls{"vantile://show", longest, "vantile://snap"};
    for (const auto& url : urls) {
        ASSERT_EQ(sendUrl(url), SendResult::delivered) << error;
    }
    EXPECT_EQ(sendUrl(longest + "x"), SendResult::tooLong) << "refused before sending";
    for (const auto& url : urls) {
        const auto received = listener->next();
        ASSERT_TRUE(received);
        EXPECT_EQ(received->message.payload, url);
    }
    EXPECT_FALSE(listener->next());
}

TEST_F(InstanceIpcTest, AUrlWithoutAcknowledgementIsNotDelivered) {
    auto acquired = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(acquired.server);
    std::thread hangUp([&] {
        pollfd pending{acquired.server->listenFd(), POLLIN, 0};
        ::poll(&pending, 1, 5000);
        acquired.server->acceptPeer(); // and closed unanswered
    });
    EXPECT_EQ(sendUrl("vantile://show"), SendResult::failed);
    hangUp.join();
    // The close may come before or after the whole message was written.
    EXPECT_NE(error.find("the running instance closed the connection"), std::string::npos) << error;
    // Nobody reads it at all.
    EXPECT_EQ(send(InstanceMessage::Kind::url, "x://y", std::chrono::milliseconds(50)),
              SendResult::failed);
}

// Answered pings give their slots back; one never answered fails the client.
TEST_F(InstanceIpcTest, PingsAreAnsweredAndGiveTheirSlotsBack) {
    auto listener = listen();
    for (std::size_t i = 0; i <= ListenerLimits{}.maxOpenConnections; ++i) {
        std::thread answer([&] {
            pollfd ready{listener->readyFd(), POLLIN, 0};
            ::poll(&ready, 1, 5000);
            if (auto received = listener->next()) {
                sendAnswer(received->peer.fd(), pongReply);
            }
        });
        const auto result = send(InstanceMessage::Kind::ping, {});
        answer.join();
        ASSERT_EQ(result, SendResult::delivered) << "ping " << i << ": " << error;
    }
    EXPECT_EQ(send(InstanceMessage::Kind::ping, {}, std::chrono::milliseconds(50)),
              SendResult::failed);
}

TEST(MessageReader, OversizedMessagesFail) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    UniqueFd reading(pair[0]), writing(pair[1]);
    MessageReader reader;
    const std::string chunk(8192, 'x');
    auto status = MessageReader::Status::needMore;
    for (int i = 0; i < 20 && status == MessageReader::Status::needMore; ++i) {
        ::send(writing.get(), chunk.data(), chunk.size(), MSG_NOSIGNAL);
        status = reader.readAvailable(reading.get());
    }
    EXPECT_EQ(status, MessageReader::Status::failed);
}

} // namespace
} // namespace vantile
