#include "app/ui/instance_service.h"

#include <cerrno>

namespace vantile {

InstanceService::InstanceService(std::unique_ptr<InstanceServer> server)
    : server_(std::move(server)), listenNotifier_(std::make_unique<QSocketNotifier>(
                                      server_->listenFd(), QSocketNotifier::Read)) {
    connect(listenNotifier_.get(), &QSocketNotifier::activated, this, [this] { acceptPending(); });
}

InstanceService::~InstanceService() = default;

void InstanceService::acceptPending() {
    // Each connection is read as soon as it is accepted, so commands sent one after another are
    // handled in the order they were sent.
    while (auto fd = server_->acceptPeer()) {
        if (connections_.size() >= maxOpenConnections) {
            continue; // dropped: closing it tells the client
        }
        const int raw = fd->get();
        Connection& connection = connections_[raw];
        connection.fd = std::move(*fd);
        connection.notifier = std::make_unique<QSocketNotifier>(raw, QSocketNotifier::Read);
        connect(connection.notifier.get(), &QSocketNotifier::activated, this,
                [this, raw] { readFrom(raw); });
        connection.deadline = std::make_unique<QTimer>();
        connection.deadline->setSingleShot(true);
        connect(connection.deadline.get(), &QTimer::timeout, this, [this, raw] { close(raw); });
        connection.deadline->start(messageDeadlineMs);
        readFrom(raw);
    }
    if (errno == EMFILE || errno == ENFILE) {
        pauseAccepting();
    }
}

// Out of descriptors: the listening socket stays readable, so stop watching it for a moment
// rather than spinning on it.
void InstanceService::pauseAccepting() {
    listenNotifier_->setEnabled(false);
    QTimer::singleShot(200, this, [this] { listenNotifier_->setEnabled(true); });
}

void InstanceService::close(int fd) {
    const auto it = connections_.find(fd);
    if (it == connections_.end()) {
        return;
    }
    it->second.notifier->setEnabled(false);
    connections_.erase(it);
}

void InstanceService::readFrom(int fd) {
    const auto it = connections_.find(fd);
    if (it == connections_.end()) {
        return;
    }
    std::function<void()> afterClosing;
    switch (it->second.reader.readAvailable(fd)) {
    case MessageReader::Status::needMore:
        return;
    case MessageReader::Status::complete:
        afterClosing = dispatch(it->second);
        break;
    case MessageReader::Status::failed:
        break;
    }
    it->second.notifier->setEnabled(false);
    connections_.erase(it);
    // The client has its whole answer before, say, the program starts to end.
    if (afterClosing) {
        afterClosing();
    }
}

std::function<void()> InstanceService::dispatch(Connection& connection) {
    const auto message = decodeMessage(connection.reader.bytes());
    if (!message) {
        return {};
    }
    switch (message->kind) {
    case InstanceMessage::Kind::url:
        if (onUrl) {
            onUrl(message->payload);
        }
        return {};
    case InstanceMessage::Kind::ping:
        if (beforePong) {
            beforePong();
        }
        sendAnswer(connection.fd.get(), pongReply);
        return {};
    case InstanceMessage::Kind::command:
        break;
    }
    if (!onCommand) {
        return {};
    }
    CommandReply reply = onCommand(splitWords(message->payload));
    sendAnswer(connection.fd.get(), encodeReply({reply.exitCode, reply.text}));
    return std::move(reply.afterReply);
}

} // namespace vantile
