#include "ui/qt/own_windows.h"

#include <QApplication>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace vantile {
namespace {

constexpr const char* kLayerProperty = "vantileWindowLayer";

int layerOf(const QWidget& window) {
    return window.property(kLayerProperty).toInt();
}

// Visible top-level windows in the order they must be raised: by layer, and within a layer by
// their window id, so that every call stacks them alike.
std::vector<QWidget*> visibleInRaiseOrder(int fromLayer) {
    std::vector<QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && layerOf(*window) >= fromLayer) {
            windows.push_back(window);
        }
    }
    std::sort(windows.begin(), windows.end(), [](const QWidget* a, const QWidget* b) {
        return std::pair(layerOf(*a), a->winId()) < std::pair(layerOf(*b), b->winId());
    });
    return windows;
}

std::function<void(QWidget&)>& activator() {
    static std::function<void(QWidget&)> instance;
    return instance;
}

std::function<void(QWidget&, const QRect&)>& placer() {
    static std::function<void(QWidget&, const QRect&)> instance;
    return instance;
}

// Editor windows share their title; the desktop tells windows apart by theirs.
void makeTitleUnique(QWidget& window) {
    const QString base = window.windowTitle();
    QString title = base;
    for (int n = 2;; ++n) {
        const auto others = QApplication::topLevelWidgets();
        if (std::none_of(others.begin(), others.end(), [&](const QWidget* other) {
                return other != &window && other->windowTitle() == title;
            })) {
            break;
        }
        title = base + " " + QString::number(n);
    }
    window.setWindowTitle(title);
}

} // namespace

constexpr const char* kLeavesKeysProperty = "vantileLeavesKeys";

void setLeavesKeysToOthers(QWidget& window) {
    window.setProperty(kLeavesKeysProperty, true);
}

bool takesKeys(const QWidget& window) {
    return !window.property(kLeavesKeysProperty).toBool() &&
           !window.testAttribute(Qt::WA_ShowWithoutActivating) &&
           !window.windowFlags().testFlag(Qt::WindowTransparentForInput);
}

// Where the desktop stacks the windows, a window is kept above the one it belongs to: the
// toolbar above the editor window it stands on.
void keepAboveItsEditor(QWidget& window, const QRect& geometry) {
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (layerOf(*other) == static_cast<int>(OwnWindowLayer::editor) &&
            other->geometry().contains(geometry.center())) {
            other->winId();
            window.winId();
            window.windowHandle()->setTransientParent(other->windowHandle());
            return;
        }
    }
}

void placeOwnWindow(QWidget& window, const QRect& geometry) {
    window.setGeometry(geometry);
    if (placer()) {
        makeTitleUnique(window);
        if (layerOf(window) == static_cast<int>(OwnWindowLayer::toolbar)) {
            keepAboveItsEditor(window, geometry);
        }
        placer()(window, geometry);
    }
}

void setOwnWindowActivator(std::function<void(QWidget&)> activate) {
    activator() = std::move(activate);
}

void setOwnWindowPlacer(std::function<void(QWidget&, const QRect&)> place) {
    placer() = std::move(place);
}

void setOwnWindowLayer(QWidget& window, OwnWindowLayer layer) {
    window.setProperty(kLayerProperty, static_cast<int>(layer));
}

void raiseOwnWindow(QWidget& window) {
    window.raise();
    for (QWidget* above : visibleInRaiseOrder(layerOf(window) + 1)) {
        above->raise();
    }
}

void activateOwnWindows() {
    const std::vector<QWidget*> windows = visibleInRaiseOrder(0);
    for (QWidget* window : windows) {
        window->raise();
    }
    QWidget* active = QApplication::activeWindow();
    const auto visibleTakingKeys = [](const QWidget* w) { return w->isVisible() && takesKeys(*w); };
    if (!active || !visibleTakingKeys(active)) {
        const auto topmost = std::find_if(windows.rbegin(), windows.rend(), visibleTakingKeys);
        active = topmost == windows.rend() ? nullptr : *topmost;
    }
    if (active && activator()) {
        activator()(*active);
    } else if (active) {
        active->activateWindow();
    }
}

} // namespace vantile
