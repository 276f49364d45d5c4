#include "ui/qt/snap_preview_window.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <string>

#include "ui/qt/own_windows.h"
#include "ui/qt/snap_preview_model.h"

namespace vantile {

class SnapPreviewWidget : public QWidget {
  public:
    // Whether the window has an alpha channel is settled when X creates it, so a widget is made
    // for one mode and replaced when the mode changes.
    explicit SnapPreviewWidget(bool translucent)
        : QWidget(nullptr, Qt::Tool | overlayWindowFlags | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
          translucent_(translucent) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground, translucent);
        setFocusPolicy(Qt::NoFocus);
        setWindowTitle(QStringLiteral("Vantile Snap Preview"));
    }

    bool translucent() const { return translucent_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        const SnapPreviewPaint paint = currentPaint();
        QPainter painter(this);
        if (!paint.shape.isEmpty()) {
            // The shape cuts the outline; antialiasing would only darken its curved edges.
            painter.fillRect(rect(), paint.border);
            return;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        // Replacing instead of blending: each pixel gets the alpha of the part it belongs to,
        // and the antialiased seam between border and background mixes the two, not adds them.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        fillRounded(painter, paint.outer, paint.outerRadius, paint.border);
        fillRounded(painter, paint.inner, paint.innerRadius, paint.fill);
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (!translucent_) {
            setMask(currentPaint().shape);
        }
    }

  private:
    SnapPreviewPaint currentPaint() const {
        // The preview is never the active window, but it shows the accent colour, not the dimmer
        // one some styles use for inactive selections.
        return snapPreviewPaint(size(), palette().color(QPalette::Active, QPalette::Highlight),
                                translucent_);
    }

    static void fillRounded(QPainter& painter, const QRectF& rect, qreal radius,
                            const QColor& color) {
        if (rect.isEmpty()) {
            return;
        }
        QPainterPath path;
        path.addRoundedRect(rect, radius, radius);
        painter.fillPath(path, color);
    }

    bool translucent_;
};

namespace {

// On X the desktop counts device pixels, which Qt scales down on a scaled monitor; a Wayland
// compositor counts in the same logical pixels as Qt.
std::vector<QtScreenScale> qtScreens() {
    const bool logical = QGuiApplication::platformName() == QStringLiteral("wayland");
    std::vector<QtScreenScale> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back({screen->geometry(), logical ? 1.0 : screen->devicePixelRatio()});
    }
    return screens;
}

} // namespace

QRect qtGlobalRect(OverlayHost& host, const Rect& screenRect) {
    return rootPixelsToQtGlobal(screenSpaceToRootPixels(screenRect, host.primaryInDesktopPixels()),
                                qtScreens());
}

SnapPreviewWindow::SnapPreviewWindow(OverlayHost& host) : host_(host) {}

SnapPreviewWindow::~SnapPreviewWindow() = default;

QWidget* SnapPreviewWindow::widget() const {
    return widget_.get();
}

void SnapPreviewWindow::show(const Rect& screenRect) {
    const QRect target = qtGlobalRect(host_, screenRect);
    if (target.isEmpty()) {
        hide();
        return;
    }
    const bool translucent = host_.compositorRunning();
    if (!widget_ || widget_->translucent() != translucent) {
        widget_ = std::make_unique<SnapPreviewWidget>(translucent);
        setOwnWindowLayer(*widget_, OwnWindowLayer::preview);
    }
    // Showing the same rect again leaves the window as it is: hiding it first would flicker.
    if (widget_->isVisible() && widget_->geometry() == target) {
        raiseOwnWindow(*widget_);
        return;
    }
    placeOwnWindow(*widget_, target);
    widget_->update();
    widget_->show();
    // Wayland ignores the input-transparent flag: an input region outside the window lets
    // every click through.
    if (QGuiApplication::platformName() == QStringLiteral("wayland")) {
        widget_->windowHandle()->setMask(QRegion(-1, -1, 1, 1));
    }
    // Windows opened since the last show may cover it.
    raiseOwnWindow(*widget_);
}

void SnapPreviewWindow::hide() {
    if (widget_) {
        widget_->hide();
    }
}

} // namespace vantile
