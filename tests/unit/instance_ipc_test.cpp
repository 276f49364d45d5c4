#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
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

class InstanceIpcTest : public ::testing::Test {
  protected:
    InstanceIpcTest() {
        char pattern[] = "/tmp/vantile-ipc-test-XXXXXX";
        root = ::mkdtemp(pattern);
        paths = runtimePaths(root, "7");
    }
    ~InstanceIpcTest() override { fs::remove_all(root); }

    SendResult send(const InstanceMessage& message,
                    std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return sendToInstance(paths.socket, message, timeout, &error);
    }
    SendResult sendUrl(const std::string& url) { return send({InstanceMessage::Kind::url, url}); }

    std::string root;
    RuntimePaths paths;
    std::string error;
};

TEST(RuntimePaths, DisplayKeyIgnoresTheScreenAndIsAFileName) {
    EXPECT_EQ(displayKey(":1"), "1");
    EXPECT_EQ(displayKey(":1.0"), "1");
    EXPECT_EQ(displayKey("localhost:10.0"), "localhost_10");
    EXPECT_EQ(displayKey("../../x:3"), "______x_3");
    EXPECT_FALSE(displayKey(""));
    EXPECT_FALSE(displayKey(":"));
    EXPECT_FALSE(displayKey(":a"));
    EXPECT_FALSE(displayKey("host"));
}

TEST_F(InstanceIpcTest, FolderMustBePrivate) {
    const std::string dir = root + "/private";
    EXPECT_FALSE(ensurePrivateDirectory(dir));
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ::chmod(dir.c_str(), 0755);
    const auto problem = ensurePrivateDirectory(dir);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("0700"), std::string::npos) << *problem;

    const std::string link = root + "/link";
    ::chmod(dir.c_str(), 0700);
    fs::create_directory_symlink(dir, link);
    EXPECT_TRUE(ensurePrivateDirectory(link)) << "a symlink is not accepted as the folder";
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
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, paths.socket.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    EXPECT_EQ(sendUrl("x://show"), SendResult::noInstance);
    auto third = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(third.server) << third.error;
    InstanceListener listener(std::move(third.server));
    EXPECT_EQ(sendUrl("x://show"), SendResult::delivered) << error;
}

// Acknowledged on the listener's thread, even while nobody takes them off its queue.
TEST_F(InstanceIpcTest, UrlsUpToTheLimitAreAcknowledgedAndKeepTheirOrder) {
    auto acquired = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(acquired.server);
    InstanceListener listener(std::move(acquired.server));
    const std::string longest = "x://" + std::string(maxMessageSize - 8, 'x'); // after "url\n"
    const std::vector<std::string> urls{"vantile://show", longest, "vantile://snap"};
    for (const auto& url : urls) {
        ASSERT_EQ(sendUrl(url), SendResult::delivered) << error;
    }
    EXPECT_EQ(sendUrl(longest + "x"), SendResult::tooLong) << "refused before sending";
    for (const auto& url : urls) {
        const auto received = listener.next();
        ASSERT_TRUE(received);
        EXPECT_EQ(received->message.payload, url);
    }
    EXPECT_FALSE(listener.next());
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
    EXPECT_NE(error.find("without taking the URL"), std::string::npos) << error;
    // Nobody reads it at all.
    EXPECT_EQ(send({InstanceMessage::Kind::url, "x://y"}, std::chrono::milliseconds(50)),
              SendResult::failed);
}

TEST_F(InstanceIpcTest, PeersOfAnotherUserAreDropped) {
    auto acquired = InstanceServer::acquire(paths, ::getuid() + 1);
    ASSERT_TRUE(acquired.server);
    InstanceListener listener(std::move(acquired.server));
    EXPECT_EQ(sendUrl("vantile://show"), SendResult::failed);
    EXPECT_FALSE(listener.next());
}

TEST_F(InstanceIpcTest, ClientsThatSendNothingGiveWayToThoseWaiting) {
    auto acquired = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(acquired.server);
    ListenerLimits limits;
    limits.messageDeadline = std::chrono::minutes(1); // so only giving way can free a slot
    InstanceListener listener(std::move(acquired.server), limits);
    std::vector<UniqueFd> idle;
    sockaddr_un address{AF_UNIX, {}};
    std::strcpy(address.sun_path, paths.socket.c_str());
    for (std::size_t i = 0; i < limits.maxOpenConnections; ++i) {
        idle.emplace_back(::socket(AF_UNIX, SOCK_STREAM, 0));
        ASSERT_EQ(
            ::connect(idle.back().get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    EXPECT_EQ(send({InstanceMessage::Kind::url, "x://y"}, std::chrono::seconds(20)),
              SendResult::delivered)
        << error;
}

// Answered pings give their slots back; one never answered fails the client.
TEST_F(InstanceIpcTest, PingsAreAnsweredAndGiveTheirSlotsBack) {
    auto acquired = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(acquired.server);
    InstanceListener listener(std::move(acquired.server));
    for (std::size_t i = 0; i <= ListenerLimits{}.maxOpenConnections; ++i) {
        std::thread answer([&] {
            pollfd ready{listener.readyFd(), POLLIN, 0};
            ::poll(&ready, 1, 5000);
            if (auto received = listener.next()) {
                sendAnswer(received->peer.fd(), pongReply);
            }
        });
        const auto result = send({InstanceMessage::Kind::ping, {}});
        answer.join();
        ASSERT_EQ(result, SendResult::delivered) << "ping " << i << ": " << error;
    }
    EXPECT_EQ(send({InstanceMessage::Kind::ping, {}}, std::chrono::milliseconds(50)),
              SendResult::failed);
}

TEST_F(InstanceIpcTest, AFolderAtTheSocketPathIsNamedOnBothEnds) {
    ASSERT_FALSE(ensurePrivateDirectory(paths.directory));
    fs::create_directory(paths.socket);
    const auto acquired = InstanceServer::acquire(paths, ::getuid());
    EXPECT_FALSE(acquired.server);
    EXPECT_EQ(acquired.error, paths.socket + " is a directory, not vantile's socket; remove it");
    EXPECT_EQ(sendUrl("vantile://show"), SendResult::failed);
    EXPECT_EQ(error, acquired.error);
}

TEST(InstanceMessage, DecodingIsStrict) {
    EXPECT_EQ(decodeMessage("url\nvantile://show")->payload, "vantile://show");
    EXPECT_EQ(decodeMessage("ping\n")->kind, InstanceMessage::Kind::ping);
    EXPECT_FALSE(decodeMessage("ping\nextra"));
    EXPECT_FALSE(decodeMessage("url"));
    EXPECT_FALSE(decodeMessage("quit\n"));
    EXPECT_FALSE(decodeMessage(""));
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
