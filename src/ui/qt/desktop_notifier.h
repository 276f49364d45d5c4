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
    // `fallback` shows a notice that no service took.
    explicit DesktopNotifier(std::function<void(const Notice&)> fallback);

    // A message from the tray icon, when there is one by the time a notice comes; a click on it
    // is the notice's action.
    static std::function<void(const Notice&)> trayMessage(std::function<QSystemTrayIcon*()> tray);

    // Never waits for the service: a notice it refuses goes to the fallback.
    void notify(const Notice& notice);

  private slots:
    void onActionInvoked(uint id, const QString& key);
    void onClosed(uint id, uint reason);

  private:
    std::function<void(const Notice&)> fallback_;
    std::map<uint, std::function<void()>> actions_;
};

} // namespace vantile
