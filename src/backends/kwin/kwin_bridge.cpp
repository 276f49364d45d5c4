#include "backends/kwin/kwin_bridge.h"

#include <unistd.h>

#include <algorithm>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>
#include <QJsonDocument>
#include <QTimer>
#include <QTimerEvent>

#include "backends/kwin/kwin_bridge_script.h"

namespace vantile {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString pluginName = QStringLiteral("vantile-bridge");
const QString bridgePath = QStringLiteral("/org/vantile/Bridge");
// A standing call is answered before D-Bus gives up on it (25 s), so that the script never
// waits on a call that has already failed.
constexpr int idleAnswerMs = 20000;

QDBusMessage scripting(const QString& method) {
    return QDBusMessage::createMethodCall(kwinService, QStringLiteral("/Scripting"),
                                          QStringLiteral("org.kde.kwin.Scripting"), method);
}

} // namespace

KWinBridge::KWinBridge(std::string scriptFolder) : scriptFolder_(std::move(scriptFolder)) {}

KWinBridge::~KWinBridge() {
    stop();
}

bool KWinBridge::kwinPresent() {
    const auto bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kwinService).value();
}

std::optional<std::string> KWinBridge::start(int deadlineMs) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return "there is no D-Bus session bus";
    }
    kwinOwner_ = bus.interface()->serviceOwner(kwinService).value();
    if (!bus.registerObject(bridgePath, this, QDBusConnection::ExportScriptableSlots)) {
        return "cannot offer the bridge on the session bus";
    }
    const QString file = QString::fromStdString(scriptFolder_) + "/kwin-bridge.js";
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return "cannot write " + file.toStdString();
    }
    out.write(QStringLiteral("var vantileService = \"%1\";\nvar vantilePid = %2;\n")
                  .arg(bus.baseService())
                  .arg(::getpid())
                  .toUtf8());
    out.write(kwinBridgeScript);
    out.close();
    // A copy left by an instance that was killed would register every shortcut a second time.
    bus.call(scripting(QStringLiteral("unloadScript")) << pluginName);
    const QDBusReply<int> id =
        bus.call(scripting(QStringLiteral("loadScript")) << file << pluginName);
    if (!id.isValid() || id.value() < 0) {
        return "KWin did not load the bridge script";
    }
    loaded_ = true;
    // Starting the scripting service runs every loaded script that is not running yet. Running
    // the script by its object path is not safe on KWin 5: it numbers scripts by how many are
    // loaded, so after an unload the new script's number can belong to an older one.
    if (bus.call(scripting(QStringLiteral("start"))).type() != QDBusMessage::ReplyMessage) {
        return "KWin did not run the bridge script";
    }
    if (!waitUntil([this] { return answering_; }, deadlineMs)) {
        return "the bridge script inside KWin does not answer";
    }
    return std::nullopt;
}

void KWinBridge::stop() {
    if (loaded_) {
        loaded_ = false;
        answering_ = false;
        QDBusConnection::sessionBus().call(scripting(QStringLiteral("unloadScript")) << pluginName);
    }
}

// Only KWin speaks for the desktop: other programs on the bus cannot press our shortcuts or
// tell us where windows are.
bool KWinBridge::fromKWin() const {
    return calledFromDBus() && message().service() == kwinOwner_;
}

void KWinBridge::event(const QString& json) {
    if (!fromKWin()) {
        return;
    }
    const QJsonObject event = QJsonDocument::fromJson(json.toUtf8()).object();
    const QString kind = event.value(QStringLiteral("e")).toString();
    if (const auto cursor = event.value(QStringLiteral("cursor")).toObject(); !cursor.isEmpty()) {
        cursor_ = {cursor.value(QStringLiteral("x")).toDouble(),
                   cursor.value(QStringLiteral("y")).toDouble()};
    }
    if (kind == QStringLiteral("pong")) {
        pingsAnswered_ = std::max(pingsAnswered_, event.value(QStringLiteral("token")).toInt());
    }
    if (kind == QStringLiteral("hello")) {
        answering_ = true;
        apiVersion_ = event.value(QStringLiteral("api")).toInt();
    }
    if (const auto handler = handlers_.find(kind); handler != handlers_.end() && handler->second) {
        handler->second(event);
    }
}

QString KWinBridge::next() {
    if (!fromKWin()) {
        return QStringLiteral("[]");
    }
    // An earlier call still waiting is answered empty: the newest one is the script's.
    answerIdle();
    setDelayedReply(true);
    standing_ = message();
    if (!queue_.isEmpty()) {
        flush();
    } else {
        idleTimer_ = startTimer(idleAnswerMs);
    }
    return {};
}

void KWinBridge::send(const QJsonObject& command) {
    queue_.append(command);
    if (standing_) {
        flush();
    }
}

void KWinBridge::flush() {
    if (idleTimer_) {
        killTimer(idleTimer_);
        idleTimer_ = 0;
    }
    const QString text = QString::fromUtf8(QJsonDocument(queue_).toJson(QJsonDocument::Compact));
    queue_ = QJsonArray();
    QDBusConnection::sessionBus().send(standing_->createReply(text));
    standing_.reset();
}

void KWinBridge::answerIdle() {
    if (standing_) {
        const QJsonArray keep = queue_;
        queue_ = QJsonArray();
        flush();
        queue_ = keep;
    }
}

void KWinBridge::timerEvent(QTimerEvent* event) {
    if (event->timerId() == idleTimer_) {
        answerIdle();
    }
}

bool KWinBridge::roundTrip(int deadlineMs) {
    if (!answering_) {
        return false;
    }
    const int token = ++pingsSent_;
    send({{QStringLiteral("c"), QStringLiteral("ping")}, {QStringLiteral("token"), token}});
    return waitUntil([this, token] { return pingsAnswered_ >= token; }, deadlineMs);
}

bool KWinBridge::waitUntil(const std::function<bool()>& done, int deadlineMs) {
    // The timer's expiry wakes the loop when nothing else does.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(deadlineMs);
    while (!done() && deadline.isActive()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

} // namespace vantile
