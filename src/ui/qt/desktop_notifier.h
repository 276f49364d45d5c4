#pragma once

// Notifications through the desktop's notification service on the session bus
// (org.freedesktop.Notifications), with the notice's action as a button; where no service
// answers, a message from the tray icon, whose click is the action.

#include <QObject>

#include <functional>
#include <map>

#include "app/app_delegate.h"

class QSystemTrayIcon;

namespace vantile {

class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    // The tray icon, when there is one by the time a notice comes.
    explicit DesktopNotifier(std::function<QSystemTrayIcon*()> tray);

    // Never waits for the service: a notice it refuses goes to the tray icon.
    void notify(const Notice& notice);

  private slots:
    void onActionInvoked(uint id, const QString& key);
    void onClosed(uint id, uint reason);

  private:
    void showInTray(const Notice& notice);

    std::function<QSystemTrayIcon*()> tray_;
    std::map<uint, std::function<void()>> actions_;
    std::function<void()> trayAction_;
};

} // namespace vantile
