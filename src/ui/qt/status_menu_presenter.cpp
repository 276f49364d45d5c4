#include "ui/qt/status_menu_presenter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "ui/qt/app_glyph.h"

namespace vantile {

namespace {

QKeySequence shortcutOf(const MenuItem& item) {
    if (item.keyEquivalent.empty()) {
        return {};
    }
    QString text;
    // The desktop's primary modifier is Control; Ctrl+Alt stays as it is.
    if (item.modifierMask & modifier::control || item.modifierMask & modifier::command) {
        text += "Ctrl+";
    }
    if (item.modifierMask & modifier::option) {
        text += "Alt+";
    }
    return QKeySequence(text + QString::fromStdString(item.keyEquivalent).toUpper());
}

} // namespace

StatusMenuPresenter::StatusMenuPresenter(AppDelegate& delegate, const Screens& screens)
    : delegate_(delegate), screens_(screens), menu_(std::make_unique<QMenu>()) {
    fill(menu_.get(), buildStatusMenu(screens_.screens()));
    tray_ = std::make_unique<QSystemTrayIcon>(trayIcon());
    tray_->setToolTip("Vantile Window Manager");
    tray_->setContextMenu(menu_.get());
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    menu_->popup(QCursor::pos());
                }
            });
    tray_->show();
}

StatusMenuPresenter::~StatusMenuPresenter() = default;

void StatusMenuPresenter::fill(QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        if (item.submenu) {
            QMenu* submenu = menu->addMenu(QString::fromStdString(item.title));
            fill(submenu, *item.submenu);
            if (item.refilledOnOpen) {
                const std::int64_t index = item.tag - screenItemTagBase;
                connect(submenu, &QMenu::aboutToShow, this,
                        [this, submenu, index] { refillScreenMenu(submenu, index); });
            }
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(item.title));
        action->setShortcut(shortcutOf(item));
        if (item.action == MenuAction::loadPresetForScreen ||
            item.action == MenuAction::clearScreenLayout) {
            action->setCheckable(true);
            action->setChecked(item.checked);
        }
        connect(action, &QAction::triggered, this, [this, item] { trigger(item); });
    }
}

void StatusMenuPresenter::refillScreenMenu(QMenu* menu, std::int64_t screenIndex) {
    menu->clear();
    if (RegionManager* regions = delegate_.regionManager()) {
        fill(menu, screenMenuItems(screenIndex, screens_.screens(), *regions));
    }
}

void StatusMenuPresenter::trigger(const MenuItem& item) {
    switch (item.action) {
    case MenuAction::menuSnapAction:
        delegate_.menuSnapAction(item);
        break;
    case MenuAction::loadPresetForScreen:
        delegate_.loadPresetForScreen(item);
        break;
    case MenuAction::clearScreenLayout:
        delegate_.clearScreenLayout(item);
        break;
    case MenuAction::quit:
        QCoreApplication::quit();
        break;
    case MenuAction::openShortcutsWindow:
        delegate_.openShortcutsWindowAction();
        break;
    case MenuAction::openRegionEditorAction:
        delegate_.openRegionEditorAction();
        break;
    case MenuAction::none:
        break;
    }
}

} // namespace vantile
