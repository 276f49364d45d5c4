#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "app/core/instance_command.h"
#include "app/ipc/instance_server.h"

namespace vantile {

// Serves the instance socket on the Qt event loop: URLs go to `onUrl`, pings are answered after
// `beforePong` has run (which handles whatever input is still queued), and commands are answered
// with what `onCommand` replies.
class InstanceService : public QObject {
  public:
    explicit InstanceService(std::unique_ptr<InstanceServer> server);
    ~InstanceService() override;

    std::function<void(const std::string&)> onUrl;
    std::function<void()> beforePong;
    std::function<CommandReply(const std::vector<std::string>&)> onCommand;

  private:
    struct Connection {
        UniqueFd fd;
        MessageReader reader;
        std::unique_ptr<QSocketNotifier> notifier;
        std::unique_ptr<QTimer> deadline;
    };

    // A client gets this long to send its message, and only so many may be open at once, so that
    // a stuck or hostile client cannot pile up descriptors.
    static constexpr int messageDeadlineMs = 5000;
    static constexpr std::size_t maxOpenConnections = 32;

    void acceptPending();
    void readFrom(int fd);
    // Returns what is to happen once the connection is closed.
    std::function<void()> dispatch(Connection& connection);
    void close(int fd);
    void pauseAccepting();

    std::unique_ptr<InstanceServer> server_;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::map<int, Connection> connections_;
};

} // namespace vantile
