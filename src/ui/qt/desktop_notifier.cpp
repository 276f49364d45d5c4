#include "ui/qt/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>

namespace vantile {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kActionKey = QStringLiteral("apply");

} // namespace

DesktopNotifier::DesktopNotifier(std::function<QSystemTrayIcon*()> tray) : tray_(std::move(tray)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(onClosed(uint, uint)));
}

void DesktopNotifier::notify(const Notice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showInTray(notice);
        return;
    }
    QStringList actions;
    if (notice.action) {
        actions << kActionKey << QString::fromStdString(notice.actionLabel);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    // Shown until the user closes it: it asks for a choice.
    call << QStringLiteral("vantile") << uint(0) << QStringLiteral("vantile")
         << QString::fromStdString(notice.title) << QString::fromStdString(notice.body) << actions
         << QVariantMap{} << int(0);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, notice](QDBusPendingCallWatcher*) {
                QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    showInTray(notice);
                } else if (notice.action) {
                    actions_[reply.value()] = notice.action;
                }
                watcher->deleteLater();
            });
}

void DesktopNotifier::onActionInvoked(uint id, const QString& key) {
    const auto found = actions_.find(id);
    if (found != actions_.end() && key == kActionKey) {
        const auto action = found->second;
        actions_.erase(found);
        action();
    }
}

void DesktopNotifier::onClosed(uint id, uint) {
    actions_.erase(id);
}

void DesktopNotifier::showInTray(const Notice& notice) {
    QSystemTrayIcon* tray = tray_ ? tray_() : nullptr;
    if (tray == nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    std::string body = notice.body;
    if (notice.action) {
        body += " Click here: " + notice.actionLabel + ".";
    }
    trayAction_ = notice.action;
    disconnect(tray, &QSystemTrayIcon::messageClicked, this, nullptr);
    connect(tray, &QSystemTrayIcon::messageClicked, this, [this] {
        if (const auto action = std::exchange(trayAction_, {})) {
            action();
        }
    });
    tray->showMessage(QString::fromStdString(notice.title), QString::fromStdString(body));
}

} // namespace vantile
