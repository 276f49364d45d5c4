#include "ui/qt/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>

#include <memory>
#include <utility>

namespace vantile {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kActionKey = QStringLiteral("apply");

} // namespace

DesktopNotifier::DesktopNotifier(std::function<void(const Notice&)> fallback)
    : fallback_(std::move(fallback)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(onClosed(uint, uint)));
}

void DesktopNotifier::notify(const Notice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallback_(notice);
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
                    fallback_(notice);
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

std::function<void(const Notice&)>
DesktopNotifier::trayMessage(std::function<QSystemTrayIcon*()> tray) {
    // The action of the message shown last: a click answers that one.
    auto action = std::make_shared<std::function<void()>>();
    return [tray = std::move(tray), action](const Notice& notice) {
        QSystemTrayIcon* icon = tray ? tray() : nullptr;
        if (icon == nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) {
            return;
        }
        *action = notice.action;
        QObject::disconnect(icon, &QSystemTrayIcon::messageClicked, nullptr, nullptr);
        QObject::connect(icon, &QSystemTrayIcon::messageClicked, [action] {
            if (const auto chosen = std::exchange(*action, {})) {
                chosen();
            }
        });
        const std::string click = notice.action ? " Click here: " + notice.actionLabel + "." : "";
        icon->showMessage(QString::fromStdString(notice.title),
                          QString::fromStdString(notice.body + click));
    };
}

} // namespace vantile
