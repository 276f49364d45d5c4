#include "ui/qt/own_windows.h"

#include <QApplication>
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

bool takesKeys(const QWidget& window) {
    return window.isVisible() && !window.testAttribute(Qt::WA_ShowWithoutActivating) &&
           !window.windowFlags().testFlag(Qt::WindowTransparentForInput);
}

} // namespace

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
    if (!active || !takesKeys(*active)) {
        const auto topmost = std::find_if(windows.rbegin(), windows.rend(),
                                          [](const QWidget* w) { return takesKeys(*w); });
        active = topmost == windows.rend() ? nullptr : *topmost;
    }
    if (active) {
        active->activateWindow();
    }
}

} // namespace vantile
