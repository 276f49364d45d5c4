#pragma once

// The drag-to-snap preview on the desktop: a frameless, always-on-top window that the window
// manager leaves alone, that never takes focus and that clicks pass through.

#include <QRect>

#include <functional>
#include <memory>

#include "core/input/snap_manager.h"
#include "platform/overlay_host.h"

class QWidget;

namespace vantile {

class SnapPreviewWidget;

class SnapPreviewWindow : public SnapPreview {
  public:
    // Needs a QApplication, for as long as it lives. The host is asked on every show.
    explicit SnapPreviewWindow(OverlayHost& host);
    ~SnapPreviewWindow() override;
    SnapPreviewWindow(const SnapPreviewWindow&) = delete;
    SnapPreviewWindow& operator=(const SnapPreviewWindow&) = delete;

    void show(const Rect& screenRect) override;
    void hide() override;

    // The window as it is now; null before the first show. Replaced when a compositor starts or
    // stops between two shows.
    QWidget* widget() const;

  private:
    OverlayHost& host_;
    std::unique_ptr<SnapPreviewWidget> widget_;
};

// Where a screen-space rect lies in Qt's global coordinates, for placing the program's own windows.
QRect qtGlobalRect(OverlayHost& host, const Rect& screenRect);

} // namespace vantile
