#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "app/ipc/instance_client.h"
#include "app/ipc/instance_server.h"
#include "app/ipc/runtime_paths.h"

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

    // Reads one whole message from the next accepted connection.
    std::optional<InstanceMessage> receive(InstanceServer& server) {
        auto fd = server.acceptPeer();
        if (!fd) {
            return std::nullopt;
        }
        MessageReader reader;
        for (int i = 0; i < 1000; ++i) {
            const auto status = reader.readAvailable(fd->get());
            if (status == MessageReader::Status::complete) {
                return decodeMessage(reader.bytes());
            }
            if (status == MessageReader::Status::failed) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::nullopt;
    }

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
    EXPECT_EQ(sendToInstance(paths.socket, {InstanceMessage::Kind::url, "x://show"}, {}, &error),
              SendResult::noInstance);
    auto third = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(third.server) << third.error;
    EXPECT_EQ(sendToInstance(paths.socket, {InstanceMessage::Kind::url, "x://show"}, {}, &error),
              SendResult::delivered)
        << error;
}

TEST_F(InstanceIpcTest, UrlsArriveWholeAndInOrder) {
    auto acquired = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(acquired.server);
    const std::string longUrl = "vantile://snap?action=leftHalf&pad=" + std::string(20000, 'x');
    for (const auto& url : {std::string("vantile://show"), longUrl}) {
        ASSERT_EQ(sendToInstance(paths.socket, {InstanceMessage::Kind::url, url}, {}, &error),
                  SendResult::delivered);
    }
    const auto a = receive(*acquired.server);
    const auto b = receive(*acquired.server);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->payload, "vantile://show");
    EXPECT_EQ(b->payload, longUrl);
    EXPECT_FALSE(acquired.server->acceptPeer()) << "nothing else pending";
}

TEST_F(InstanceIpcTest, PeersOfAnotherUserAreDropped) {
    auto acquired = InstanceServer::acquire(paths, ::getuid() + 1);
    ASSERT_TRUE(acquired.server);
    ASSERT_EQ(
        sendToInstance(paths.socket, {InstanceMessage::Kind::url, "vantile://show"}, {}, &error),
        SendResult::delivered)
        << error;
    EXPECT_FALSE(acquired.server->acceptPeer());
}

TEST_F(InstanceIpcTest, PingWaitsForTheAnswer) {
    auto acquired = InstanceServer::acquire(paths, ::getuid());
    ASSERT_TRUE(acquired.server);
    std::thread answer([&] {
        for (int i = 0; i < 2000; ++i) {
            if (auto fd = acquired.server->acceptPeer()) {
                ::send(fd->get(), pongReply.data(), pongReply.size(), MSG_NOSIGNAL);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_EQ(sendToInstance(paths.socket, {InstanceMessage::Kind::ping, {}},
                             std::chrono::seconds(5), &error),
              SendResult::delivered)
        << error;
    answer.join();

    // An instance that never answers makes the ping fail instead of hanging.
    EXPECT_EQ(sendToInstance(paths.socket, {InstanceMessage::Kind::ping, {}},
                             std::chrono::milliseconds(50), &error),
              SendResult::failed);
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
