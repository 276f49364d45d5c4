#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "app/app_delegate.h"
#include "app/status_menu.h"

class QMenu;
class QSystemTrayIcon;

namespace vantile {

// Shows the status menu in the desktop's tray: renders the menu tree into Qt menus, refills a
// screen's preset list each time it opens, and hands every choice to the delegate. The menu opens
// on a left click as well as on a right one: the tray has no other use for a left click.
class StatusMenuPresenter : public QObject {
  public:
    StatusMenuPresenter(AppDelegate& delegate, const Screens& screens);
    ~StatusMenuPresenter() override;

    QMenu* menu() const { return menu_.get(); }
    QSystemTrayIcon* tray() const { return tray_.get(); }

  private:
    void fill(QMenu* menu, const std::vector<MenuItem>& items);
    void refillScreenMenu(QMenu* menu, std::int64_t screenIndex);
    void trigger(const MenuItem& item);

    AppDelegate& delegate_;
    const Screens& screens_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

} // namespace vantile
