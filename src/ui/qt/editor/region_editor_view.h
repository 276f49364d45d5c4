#pragma once

// One screen's region editor: the widget on which its layout is edited, and the window on the
// desktop that shows it over the whole monitor, above everything the window manager stacks.

#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "base/geometry.h"
#include "core/editor/region_editor_model.h"
#include "core/editor/region_editor_window.h"
#include "core/regions/bsp_node.h"

namespace vantile {

// The widget owns the editor's model, hands it the pointer in the model's bottom-left, y-up
// coordinates and paints the list the model's geometry gives; it decides nothing itself.
class RegionEditorView : public QWidget {
    Q_OBJECT

  public:
    // The visible frame and the screen's full frame are in screen space (origin at the primary
    // screen's bottom-left, y up). The window hosting the view covers `screenFrame`; without a
    // screen the visible frame is taken as lying in the view unmoved.
    RegionEditorView(BSPNode tree, const Rect& screenVisibleFrame, std::optional<Rect> screenFrame,
                     QWidget* parent = nullptr);

    // Called with the new tree after every edit, undo and redo.
    std::function<void(const BSPNode&)> onTreeChanged;
    // Called at the start of every press of the left button in the view.
    std::function<void()> onInteraction;

    const BSPNode& tree() const { return model_.tree(); }
    // Shows another tree, as when a preset is loaded: neither an undo step nor a reported edit.
    void setTree(BSPNode tree);
    void rebuildLayout();
    void undo();
    void redo();

    RegionEditorModel& model() { return model_; }
    const RegionEditorModel& model() const { return model_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    EditorPlacement placement() const;
    Point viewPoint(const QPointF& widgetPoint) const;
    void applyCursor(EditorCursor cursor);

    std::optional<Rect> screenFrame_;
    RegionEditorModel model_;
};

// The view in an undecorated window over the whole monitor, for the editor's logic.
class QtRegionEditorWindow : public RegionEditorWindow {
  public:
    // `geometry` is the screen's frame in Qt's global coordinates. Without a compositor the veil
    // cannot be translucent and the window is dark instead.
    QtRegionEditorWindow(const Screen& targetScreen, BSPNode tree, bool isPrimary,
                         EventMonitors& monitors, std::function<bool()> toolbarHoldsKeys,
                         const QRect& geometry, bool translucent);
    ~QtRegionEditorWindow() override;

    void makeKeyAndOrderFront() override;
    void orderOut() override;

    RegionEditorView* view() const { return view_; }

    static constexpr const char* title = "Vantile Region Editor";

  protected:
    void setViewTree(const BSPNode& tree) override;
    void undo() override;
    void redo() override;

  private:
    // Deleted later rather than with this object: the editor is often closed from inside one of
    // the view's own events.
    RegionEditorView* view_;
    // The view's callbacks hold this weakly, as they may outlive the window by an event.
    std::shared_ptr<QtRegionEditorWindow*> self_;
};

} // namespace vantile
