#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "ipc/instance_command.h"
#include "ipc/instance_listener.h"

namespace vantile {

// Carries out on the Qt event loop, one after another in the order they were read, the messages
// that the listener takes off the instance socket on its own thread: URLs go to `onUrl`, pings
// are answered after `beforePong` has run (which handles whatever input is still queued), and
// commands are answered with what `onCommand` replies.
class InstanceService : public QObject {
  public:
    explicit InstanceService(std::unique_ptr<InstanceServer> server);
    ~InstanceService() override;

    std::function<void(const std::string&)> onUrl;
    std::function<void()> beforePong;
    std::function<CommandReply(const std::vector<std::string>&)> onCommand;

  private:
    void handleWaiting();
    // Returns what is to happen once the peer has its answer and is closed.
    std::function<void()> handle(InstanceListener::Received& received);

    InstanceListener listener_;
    QSocketNotifier ready_;
};

} // namespace vantile
