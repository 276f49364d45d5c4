#include "ui/qt/editor/region_editor_toolbar.h"

#include "ui/qt/own_windows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <QResizeEvent>

namespace vantile {

namespace {

constexpr qreal kCornerRadius = 10;
constexpr int kControlHeight = 28;
constexpr int kControlBottom = 10;
const QColor kTranslucentHud(30, 30, 32, 217);
const QColor kOpaqueHud(38, 38, 40);
const QColor kText(236, 236, 238);
const QColor kSecondaryText(236, 236, 238, 140);
const QColor kSeparator(255, 255, 255, 56);
const QColor kFailure(255, 105, 97);
const char* const kNotSaved = "The preset could not be written to disk; nothing was saved.";

// The rows were laid out with the origin at the panel's bottom-left, y up; Qt's is top-left.
QRect panelFrame(int x, int y, int width, int height) {
    return {x, static_cast<int>(kRegionEditorToolbarHeight) - y - height, width, height};
}

// The panel's sizes are points, which are Qt's logical pixels, so a 12-point font is 12 of them
// whatever dots per inch the screen claims; otherwise "New Preset" would outgrow its button.
QFont systemFont(QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(12);
    font.setWeight(weight);
    return font;
}

// Light text and controls on the dark panel; the accent stays the desktop's.
QPalette hudPalette() {
    const QPalette desktop = QApplication::palette();
    QPalette palette(QColor(72, 72, 76), kOpaqueHud);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, QPalette::BrightText}) {
        palette.setColor(role, kText);
    }
    palette.setColor(QPalette::Base, QColor(24, 24, 26));
    palette.setColor(QPalette::PlaceholderText, kSecondaryText);
    palette.setColor(QPalette::Highlight, desktop.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::HighlightedText,
                     desktop.color(QPalette::Active, QPalette::HighlightedText));
    return palette;
}

void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

void tintWithAccent(QPushButton* button) {
    setColor(button, QPalette::ButtonText, button->palette().color(QPalette::Highlight));
}

QWidget* makeRow(QWidget* panel) {
    auto* row = new QWidget(panel);
    row->setGeometry(panelFrame(0, 0, static_cast<int>(kRegionEditorToolbarWidth),
                                static_cast<int>(kRegionEditorToolbarHeight)));
    return row;
}

void makeSeparator(QWidget* row, int x) {
    auto* line = new QFrame(row);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setGeometry(panelFrame(x, kControlBottom, 1, kControlHeight));
    setColor(line, QPalette::WindowText, kSeparator);
}

// The panel's size is in Qt's logical pixels like everything in it, so it is placed in Qt's
// coordinates too: centred on the screen's frame and below the top of its visible frame.
QRect panelGeometry(const Screen& screen, const RegionEditorToolbar::ToQtGlobal& toQtGlobal) {
    const QRect frame = toQtGlobal(screen.frame);
    const QRect visible = toQtGlobal(screen.visibleFrame);
    const auto width = static_cast<int>(kRegionEditorToolbarWidth);
    return {frame.x() + (frame.width() - width) / 2,
            visible.y() + static_cast<int>(kRegionEditorToolbarGapBelowTop), width,
            static_cast<int>(kRegionEditorToolbarHeight)};
}

QPainterPath roundedPanel(const QRect& rect) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), kCornerRadius, kCornerRadius);
    return path;
}

} // namespace

RegionEditorToolbar::RegionEditorToolbar(const Screen& screen, RegionManager& regions,
                                         const Screens& screens, const ToQtGlobal& toQtGlobal,
                                         bool translucent, std::function<void()> onDone,
                                         std::function<void()> onCancel,
                                         std::function<void(const RegionPreset&)> onPresetSelected,
                                         std::function<bool(const std::string&)> onSave)
    // Left alone by the window manager like the editor windows, so that raising it puts it above
    // them; it takes the input focus itself when a name is typed.
    : QWidget(nullptr, Qt::Tool | overlayWindowFlags), regions_(regions), screens_(screens),
      onDone_(std::move(onDone)), onCancel_(std::move(onCancel)),
      onPresetSelected_(std::move(onPresetSelected)), onSave_(std::move(onSave)),
      translucent_(translucent) {
    // Whether the window has an alpha channel is settled when X creates it.
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    // Appearing must not take the keys from the editor; only naming a preset does.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setOwnWindowLayer(*this, OwnWindowLayer::toolbar);
    setPalette(hudPalette());
    setFont(systemFont(QFont::Normal));
    setWindowTitle(QtEditorToolbar::title);
    placeOwnWindow(*this, panelGeometry(screen, toQtGlobal));
    buildMainRow();
    buildSaveRow();
    reloadPresets();
}

void RegionEditorToolbar::buildMainRow() {
    mainRow_ = makeRow(this);
    presetMenu_ = new QComboBox(mainRow_);
    presetMenu_->setGeometry(panelFrame(12, kControlBottom, 140, kControlHeight));
    // Only the user's choice counts, not the selection that refilling the menu makes.
    connect(presetMenu_, &QComboBox::activated, this, &RegionEditorToolbar::presetChanged);
    makeSeparator(mainRow_, 160);
    connect(makeButton(mainRow_, "Cancel", 172, 64), &QPushButton::clicked, this,
            &RegionEditorToolbar::cancelAction);
    connect(makeButton(mainRow_, "New Preset", 244, 82), &QPushButton::clicked, this,
            &RegionEditorToolbar::showSaveRow);
    makeSeparator(mainRow_, 384);
    QPushButton* apply = makeButton(mainRow_, "Apply", 392, 76);
    tintWithAccent(apply);
    connect(apply, &QPushButton::clicked, this, &RegionEditorToolbar::doneAction);
}

void RegionEditorToolbar::buildSaveRow() {
    saveRow_ = makeRow(this);
    nameLabel_ = new QLabel(saveRow_);
    nameLabel_->setFont(systemFont(QFont::Medium));
    nameLabel_->setGeometry(panelFrame(12, 14, 40, 18));
    nameField_ = new QLineEdit(saveRow_);
    nameField_->setGeometry(panelFrame(56, kControlBottom, 270, kControlHeight));
    nameField_->setPlaceholderText("My Layout");
    nameField_->setText("My Layout");
    connect(nameField_, &QLineEdit::returnPressed, this, &RegionEditorToolbar::confirmSave);
    showSaveOutcome(true);
    QPushButton* save = makeButton(saveRow_, "Save", 338, 60);
    tintWithAccent(save);
    connect(save, &QPushButton::clicked, this, &RegionEditorToolbar::confirmSave);
    connect(makeButton(saveRow_, "Back", 406, 60), &QPushButton::clicked, this,
            &RegionEditorToolbar::hideSaveRow);
    saveRow_->hide();
}

QPushButton* RegionEditorToolbar::makeButton(QWidget* row, const QString& title, int x, int width) {
    auto* button = new QPushButton(title, row);
    button->setFont(systemFont(QFont::Medium));
    button->setGeometry(panelFrame(x, kControlBottom, width, kControlHeight));
    return button;
}

void RegionEditorToolbar::reloadPresets() {
    menu_ = RegionEditorToolbarModel(regions_, screens_);
    presetMenu_->clear();
    for (const std::string& title : menu_.titles()) {
        presetMenu_->addItem(QString::fromStdString(title));
    }
    presetMenu_->setCurrentIndex(menu_.preselectedIndex());
}

void RegionEditorToolbar::presetChanged() {
    if (const RegionPreset* preset = menu_.presetForItem(presetMenu_->currentIndex())) {
        // A copy: whatever the callback does to the menu, the preset it was given stays valid.
        const RegionPreset chosen = *preset;
        onPresetSelected_(chosen);
    }
}

void RegionEditorToolbar::showSaveRow() {
    mainRow_->hide();
    saveRow_->show();
    // The panel has no title bar for the user to click into, so it asks for the keys itself.
    activateWindow();
    nameField_->setFocus(Qt::OtherFocusReason);
    nameField_->selectAll();
}

void RegionEditorToolbar::hideSaveRow() {
    showSaveOutcome(true);
    saveRow_->hide();
    mainRow_->show();
}

void RegionEditorToolbar::confirmSave() {
    // A save the user asked for and that failed is said, and the row stays for another try.
    const bool saved = onSave_(presetNameToSave(nameField_->text().toStdString()));
    showSaveOutcome(saved);
    if (saved) {
        reloadPresets();
        hideSaveRow();
    }
}

void RegionEditorToolbar::showSaveOutcome(bool saved) {
    nameLabel_->setText(saved ? "Name:" : "Failed:");
    nameLabel_->setToolTip(saved ? QString() : kNotSaved);
    nameField_->setToolTip(saved ? QString() : kNotSaved);
    setColor(nameLabel_, QPalette::WindowText, saved ? kSecondaryText : kFailure);
}

void RegionEditorToolbar::doneAction() {
    onDone_();
}

void RegionEditorToolbar::cancelAction() {
    onCancel_();
}

void RegionEditorToolbar::orderFront() {
    show();
    raiseOwnWindow(*this);
}

bool RegionEditorToolbar::holdsKeys() const {
    return (saveRow_->isVisible() && nameField_->hasFocus()) || presetMenu_->view()->isVisible();
}

QPushButton* RegionEditorToolbar::button(const QString& title) const {
    for (QPushButton* candidate : findChildren<QPushButton*>()) {
        if (candidate->text() == title) {
            return candidate;
        }
    }
    return nullptr;
}

bool RegionEditorToolbar::isSaveRowShown() const {
    return !saveRow_->isHidden();
}

void RegionEditorToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!translucent_) {
        // The mask cuts the corners; antialiasing against them would leave a dark fringe.
        painter.fillRect(rect(), kOpaqueHud);
        return;
    }
    // Replacing instead of blending, so the corners stay clear and the panel keeps its alpha.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.fillPath(roundedPanel(rect()), kTranslucentHud);
}

void RegionEditorToolbar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Without a compositor the corners cannot be see-through, so they are cut off instead.
    if (!translucent_) {
        setMask(QRegion(roundedPanel(rect()).toFillPolygon().toPolygon()));
    }
}

QtEditorToolbar::QtEditorToolbar(const Screen& screen, RegionManager& regions,
                                 const Screens& screens,
                                 const std::function<QRect(const Rect&)>& toQtGlobal,
                                 bool translucent, EditorToolbarCallbacks callbacks)
    : widget_(new RegionEditorToolbar(screen, regions, screens, toQtGlobal, translucent,
                                      std::move(callbacks.onDone), std::move(callbacks.onCancel),
                                      std::move(callbacks.onPresetSelected),
                                      std::move(callbacks.onSave))) {}

QtEditorToolbar::~QtEditorToolbar() {
    widget_->hide();
    widget_->deleteLater();
}

void QtEditorToolbar::orderFront() {
    widget_->orderFront();
}

void QtEditorToolbar::orderOut() {
    widget_->hide();
}

bool QtEditorToolbar::holdsKeys() const {
    return widget_->holdsKeys();
}

} // namespace vantile
