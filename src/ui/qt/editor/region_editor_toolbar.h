#pragma once

// The floating panel of the region editor: a preset menu, "Cancel", "New Preset" and "Apply" on
// the main row, and the row that names a new preset. It changes no layout itself; it reports the
// user's choices through its callbacks and never closes itself.

#include <QRect>
#include <QWidget>

#include <functional>
#include <string>

#include "core/editor/editor_toolbar.h"
#include "core/editor/region_editor_toolbar_model.h"
#include "platform/platform.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantile {

class RegionEditorToolbar : public QWidget {
    Q_OBJECT

  public:
    // Turns a screen-space rect into Qt's global coordinates.
    using ToQtGlobal = std::function<QRect(const Rect&)>;

    // Placed near the top of `screen`, hidden until orderFront(). The menu is filled at once and
    // pre-selects the active preset of the first screen of `screens`. `translucent` says whether a
    // compositing manager runs; it is settled for the window's life. The manager and the screens
    // must outlive the toolbar. The callbacks run inside a button's click: one that closes the
    // editor releases the toolbar with deleteLater(), not at once.
    RegionEditorToolbar(const Screen& screen, RegionManager& regions, const Screens& screens,
                        const ToQtGlobal& toQtGlobal, bool translucent,
                        std::function<void()> onDone, std::function<void()> onCancel,
                        std::function<void(const RegionPreset&)> onPresetSelected,
                        std::function<bool(const std::string&)> onSave);

    void reloadPresets();

    // Button and menu actions; public so that the keyboard and the tests can reach them too.
    void presetChanged();
    void showSaveRow();
    void hideSaveRow();
    void confirmSave();
    void doneAction();
    void cancelAction();

    // Shows the toolbar on top of the editor windows without taking the focus from them.
    void orderFront();

    // While a name is typed or the preset list is open, keys belong to them: the editor must not
    // take Escape, Return or undo for itself.
    bool holdsKeys() const;

    QComboBox* presetMenu() const { return presetMenu_; }
    QLineEdit* nameField() const { return nameField_; }
    // "Name:", or "Failed:" after a save that could not be written.
    QLabel* nameLabel() const { return nameLabel_; }
    // The button with this title on either row; null when there is none.
    QPushButton* button(const QString& title) const;
    bool isSaveRowShown() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildMainRow();
    void buildSaveRow();
    QPushButton* makeButton(QWidget* row, const QString& title, int x, int width);
    void showSaveOutcome(bool saved);

    RegionManager& regions_;
    const Screens& screens_;
    std::function<void()> onDone_;
    std::function<void()> onCancel_;
    std::function<void(const RegionPreset&)> onPresetSelected_;
    std::function<bool(const std::string&)> onSave_;
    bool translucent_;
    RegionEditorToolbarModel menu_;
    QWidget* mainRow_ = nullptr;
    QWidget* saveRow_ = nullptr;
    QComboBox* presetMenu_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    QLabel* nameLabel_ = nullptr;
};

// The editor's toolbar on the desktop, above the editor windows.
class QtEditorToolbar : public EditorToolbar {
  public:
    QtEditorToolbar(const Screen& screen, RegionManager& regions, const Screens& screens,
                    const std::function<QRect(const Rect&)>& toQtGlobal, bool translucent,
                    EditorToolbarCallbacks callbacks);
    ~QtEditorToolbar() override;

    void orderFront() override;
    void orderOut() override;
    bool holdsKeys() const override;

    RegionEditorToolbar* widget() const { return widget_; }

    static constexpr const char* title = "Vantile Region Editor Toolbar";

  private:
    // Deleted later rather than with this object: its own buttons close the editor.
    RegionEditorToolbar* widget_;
};

} // namespace vantile
