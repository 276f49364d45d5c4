#include "ui/qt/onboarding_widget.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

#include "ui/qt/app_glyph.h"

namespace vantile {

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

// The layout is given from the window's bottom-left corner, y upward; Qt counts from the top.
QRect fromBottom(int x, int y, int width, int height) {
    return {x, kHeight - y - height, width, height};
}

// The program's picture in the desktop's accent colour.
class GlyphView : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // The accent even while the user is in the settings this window sent them to.
        paintAppGlyph(painter, rect(), palette().color(QPalette::Active, QPalette::Highlight));
    }
};

// Sizes are in the layout's points, which are Qt's device-independent pixels (a Qt "point" is
// 4/3 of one at 96 dpi, and the texts would no longer fit their frames).
QFont systemFont(int points, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(points);
    font.setWeight(weight);
    return font;
}

// Secondary text: the normal text colour, faded, so that it follows light and dark themes.
QColor secondaryTextColour(const QPalette& palette) {
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.6f);
    return colour;
}

} // namespace

OnboardingWidget::OnboardingWidget(std::function<void()> openSettings, std::function<void()> quit,
                                   const QString& unsupportedDesktop)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle("Vantile Window Manager");
    setFixedSize(kWidth, kHeight);
    auto* glyph = new GlyphView(this);
    glyph->setGeometry(fromBottom(200, 230, 80, 80));
    if (unsupportedDesktop.isEmpty()) {
        addTexts("Accessibility Permission Required",
                 "Vantile Window Manager needs Accessibility permission to move and resize "
                 "windows of other applications.\n\nClick the button below to open System "
                 "Settings, then enable Vantile Window Manager in the list.");
        addButtons("Open System Settings", std::move(openSettings), std::move(quit));
    } else {
        addTexts("Desktop Not Supported Yet",
                 "Vantile Window Manager cannot move windows on " + unsupportedDesktop +
                     " yet. On Wayland it works with KDE Plasma only.\n\nLog in to a Plasma "
                     "or X11 session to use it.");
        addButtons("Learn More", std::move(openSettings), std::move(quit));
    }
}

void OnboardingWidget::addTexts(const QString& headingText, const QString& bodyText) {
    auto* heading = new QLabel(headingText, this);
    heading->setGeometry(fromBottom(20, 195, 440, 30));
    heading->setFont(systemFont(18, QFont::DemiBold));
    heading->setAlignment(Qt::AlignCenter);

    auto* body = new QLabel(bodyText, this);
    body->setGeometry(fromBottom(40, 85, 400, 100));
    body->setFont(systemFont(13, QFont::Normal));
    body->setAlignment(Qt::AlignCenter);
    body->setWordWrap(true);
    QPalette palette = body->palette();
    palette.setColor(QPalette::WindowText, secondaryTextColour(palette));
    body->setPalette(palette);
}

void OnboardingWidget::addButtons(const QString& settings, std::function<void()> openSettings,
                                  std::function<void()> quit) {
    settingsButton_ = new QPushButton(settings, this);
    settingsButton_->setGeometry(fromBottom(150, 45, 180, 32));
    settingsButton_->setDefault(true);
    connect(settingsButton_, &QPushButton::clicked, this, std::move(openSettings));

    quitButton_ = new QPushButton("Quit", this);
    quitButton_->setGeometry(fromBottom(205, 10, 70, 28));
    connect(quitButton_, &QPushButton::clicked, this, std::move(quit));

    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        connect(new QShortcut(key, this), &QShortcut::activated, settingsButton_,
                &QPushButton::click);
    }
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, quitButton_,
            &QPushButton::click);
}

void OnboardingWidget::closeEvent(QCloseEvent* event) {
    // The window has no close control; a window manager that closes it anyway would leave the
    // user with nothing to quit from, so it stays until the wait is over.
    if (closeAllowed_) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace vantile
