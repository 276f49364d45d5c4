#pragma once

// The program's end of the script it runs inside KWin. The script reports events by calling this
// program's D-Bus object; commands go back as the answer to the script's standing call for the
// next ones, which costs a fraction of a millisecond where loading a script per command costs
// about two. Everything runs on the main thread.

#include <QDBusContext>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "base/geometry.h"

namespace vantile {

class KWinBridge : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vantile.Bridge")

  public:
    using Handler = std::function<void(const QJsonObject&)>;

    // `scriptFolder` is a private folder of this user's where the script is written.
    explicit KWinBridge(std::string scriptFolder);
    ~KWinBridge() override;

    // Whether KWin's scripting service is on the session bus.
    static bool kwinPresent();
    // Loads the script (after unloading a copy that an earlier instance left) and waits up to
    // the deadline for its first report. Explains what went wrong when it fails.
    std::optional<std::string> start(int deadlineMs = 3000);
    // Unloads the script; its shortcuts go with it.
    void stop();
    bool answering() const { return answering_; }
    int apiVersion() const { return apiVersion_; }
    // The pointer in KWin's pixels, as the latest event reported it.
    Point cursor() const { return cursor_; }

    // The handler for one kind of event (the script's "e" member); one handler per kind.
    void on(const QString& kind, Handler handler) { handlers_[kind] = std::move(handler); }
    // Queues a command for the script; it leaves with the answer to the script's next call.
    void send(const QJsonObject& command);
    // Waits until the script has answered a command sent now, so that everything it reported
    // before has been handled here too; false at the deadline or without a script.
    bool roundTrip(int deadlineMs = 1000);
    // Runs the event loop until `done` says so or the deadline passes; true when done.
    bool waitUntil(const std::function<bool()>& done, int deadlineMs);

  public Q_SLOTS:
    Q_SCRIPTABLE void event(const QString& json);
    Q_SCRIPTABLE QString next();

  private:
    bool fromKWin() const;
    void flush();
    void answerIdle();

    std::string scriptFolder_;
    QString kwinOwner_;
    std::map<QString, Handler> handlers_;
    QJsonArray queue_;
    std::optional<QDBusMessage> standing_;
    int idleTimer_ = 0;
    bool answering_ = false;
    int apiVersion_ = 0;
    int pingsSent_ = 0;
    int pingsAnswered_ = 0;
    bool loaded_ = false;
    Point cursor_;

  protected:
    void timerEvent(QTimerEvent* event) override;
};

} // namespace vantile
