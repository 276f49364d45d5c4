#include "ui/qt/instance_service.h"

namespace vantile {

InstanceService::InstanceService(std::unique_ptr<InstanceServer> server)
    : listener_(std::move(server)), ready_(listener_.readyFd(), QSocketNotifier::Read) {
    connect(&ready_, &QSocketNotifier::activated, this, [this] { handleWaiting(); });
}

InstanceService::~InstanceService() = default;

// One message at a time, so that input and screen changes are not held up by a long queue; the
// listener keeps the notifier readable while more wait.
void InstanceService::handleWaiting() {
    // Should handling it open an event loop of its own, the next message waits for it to end, so
    // that messages are still carried out in order.
    ready_.setEnabled(false);
    std::function<void()> afterClosing;
    if (auto received = listener_.next()) {
        afterClosing = handle(*received);
    }
    ready_.setEnabled(true);
    // The client has its whole answer before, say, the program starts to end.
    if (afterClosing) {
        afterClosing();
    }
}

std::function<void()> InstanceService::handle(InstanceListener::Received& received) {
    const InstanceMessage& message = received.message;
    switch (message.kind) {
    case InstanceMessage::Kind::url:
        if (onUrl) {
            onUrl(message.payload);
        }
        return {};
    case InstanceMessage::Kind::ping:
        // Everything read before the ping has been handled by now: it came first in the queue.
        if (beforePong) {
            beforePong();
        }
        sendAnswer(received.peer.fd(), pongReply);
        return {};
    case InstanceMessage::Kind::command:
        break;
    }
    if (!onCommand) {
        return {};
    }
    CommandReply reply = onCommand(splitWords(message.payload));
    sendAnswer(received.peer.fd(), encodeReply({reply.exitCode, reply.text, reply.notes}));
    return std::move(reply.afterReply);
}

} // namespace vantile
