// The region editor's toolbar rendered offscreen: its menu and rows, the callbacks its buttons and
// keys reach, where it sits and where its controls are.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "core/regions/builtin_presets.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"
#include "ui/qt/editor/region_editor_toolbar.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

const QColor kAccent(230, 120, 20);
constexpr double kPrimaryHeight = 900;

std::vector<std::string> items(const QComboBox* menu) {
    std::vector<std::string> out;
    for (int i = 0; i < menu->count(); ++i) {
        out.push_back(menu->itemText(i).toStdString());
    }
    return out;
}

class RegionEditorToolbarTest : public ::testing::Test {
  protected:
    RegionEditorToolbarTest() {
        first = desktop.addScreen({0, 0, 1440, kPrimaryHeight}, {0, 0, 1440, 875});
        second = desktop.addScreen({1440, 0, 1920, 1080}, {1440, 0, 1920, 1080});
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Highlight, kAccent);
        QApplication::setPalette(palette);
    }

    // The screen-space rect flipped about the primary screen, as on a desktop without scaling.
    static QRect toQtGlobal(const Rect& r) {
        return {int(r.x), int(kPrimaryHeight - r.maxY()), int(r.width), int(r.height)};
    }

    std::unique_ptr<RegionEditorToolbar> make(const Screen& screen, bool translucent = true) {
        auto toolbar = std::make_unique<RegionEditorToolbar>(
            screen, regions, desktop, &toQtGlobal, translucent, [this] { calls.push_back("done"); },
            [this] { calls.push_back("cancel"); },
            [this](const RegionPreset& preset) {
                calls.push_back("preset " + preset.name);
                chosen.push_back(preset.id);
            },
            [this](const std::string& name) {
                calls.push_back("save " + name);
                return diskWorks && regions.saveCustomPreset(name);
            });
        toolbar->orderFront();
        return toolbar;
    }

    void click(RegionEditorToolbar& toolbar, const char* title) {
        QPushButton* button = toolbar.button(title);
        ASSERT_NE(button, nullptr) << title;
        ASSERT_TRUE(button->isVisible()) << title;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    std::unique_ptr<TestApplication> app = TestApplication::offscreen();
    FakeDesktop desktop;
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    Screen first, second;
    std::vector<std::string> calls;
    bool diskWorks = true;
    std::vector<Uuid> chosen;
};

TEST_F(RegionEditorToolbarTest, MenuListsThePresetsWithTheFirstScreensActiveOneSelected) {
    regions.applyPreset(builtInPresets()[1], first);
    regions.applyPreset(builtInPresets()[2], second);
    const auto toolbar = make(second);
    EXPECT_EQ(
        items(toolbar->presetMenu()),
        (std::vector<std::string>{"Presets...", "Halves", "Thirds", "Quarters", "Coding (60/40)"}));
    EXPECT_EQ(toolbar->presetMenu()->currentIndex(), 2) << "the first screen's, not its own";
    EXPECT_FALSE(toolbar->isSaveRowShown());
    EXPECT_TRUE(toolbar->presetMenu()->isVisible());
    EXPECT_TRUE(calls.empty()) << "filling the menu chooses nothing";
}

TEST_F(RegionEditorToolbarTest, ChoosingAPresetReportsItAndThePlaceholderNothing) {
    const auto toolbar = make(first);
    QComboBox* menu = toolbar->presetMenu();
    EXPECT_EQ(menu->currentIndex(), 0) << "no active preset";
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Down);
    ASSERT_EQ(menu->currentIndex(), 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"preset Halves", "preset Thirds"}));
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[1], builtInPresets()[1].id);

    QTest::keyClick(menu, Qt::Key_Home);
    ASSERT_EQ(menu->currentIndex(), 0);
    EXPECT_EQ(calls.size(), 2u) << "the placeholder chooses nothing";
}

TEST_F(RegionEditorToolbarTest, NewPresetOffersTheNameSelectedAndReturnSavesIt) {
    regions.applyPreset(builtInPresets()[0], first);
    const auto toolbar = make(first);
    QWidget editor; // the editor window holds the keys until a name is asked for
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    EXPECT_FALSE(toolbar->holdsKeys());
    click(*toolbar, "New Preset");
    ASSERT_TRUE(toolbar->isSaveRowShown());
    EXPECT_FALSE(toolbar->presetMenu()->isVisible());
    QLineEdit* field = toolbar->nameField();
    EXPECT_EQ(field->placeholderText(), "My Layout");
    EXPECT_EQ(field->selectedText(), "My Layout");
    ASSERT_TRUE(QTest::qWaitForWindowActive(toolbar.get()));
    EXPECT_TRUE(toolbar->holdsKeys());

    QTest::keyClicks(field, "Work");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(calls, (std::vector<std::string>{"save Work"}));
    EXPECT_FALSE(toolbar->isSaveRowShown());
    EXPECT_FALSE(toolbar->holdsKeys());
    EXPECT_EQ(toolbar->presetMenu()->count(), 6);
    EXPECT_EQ(toolbar->presetMenu()->itemText(5), "Work");
    EXPECT_EQ(toolbar->presetMenu()->currentIndex(), 5) << "now the first screen's preset";
    EXPECT_EQ(field->text(), "Work") << "kept for the next save";
}

TEST_F(RegionEditorToolbarTest, SaveButtonPassesTheNameOnAsTyped) {
    const auto toolbar = make(first);
    click(*toolbar, "New Preset");
    toolbar->nameField()->clear();
    click(*toolbar, "Save");
    click(*toolbar, "New Preset");
    toolbar->nameField()->setText("   ");
    click(*toolbar, "Save");
    EXPECT_EQ(calls, (std::vector<std::string>{"save Untitled", "save    "}));
    EXPECT_FALSE(toolbar->isSaveRowShown());

    // A save that could not be written says so and keeps the row for another try.
    diskWorks = false;
    click(*toolbar, "New Preset");
    click(*toolbar, "Save");
    EXPECT_TRUE(toolbar->isSaveRowShown());
    EXPECT_EQ(toolbar->nameLabel()->text(), "Failed:");
    diskWorks = true;
    click(*toolbar, "Save");
    EXPECT_FALSE(toolbar->isSaveRowShown());
    EXPECT_EQ(toolbar->nameLabel()->text(), "Name:");
}

TEST_F(RegionEditorToolbarTest, BackReturnsWithoutReportingAndKeepsTheName) {
    const auto toolbar = make(first);
    click(*toolbar, "New Preset");
    toolbar->nameField()->setText("Half typed");
    click(*toolbar, "Back");
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(toolbar->isSaveRowShown());
    EXPECT_TRUE(toolbar->presetMenu()->isVisible());
    EXPECT_FALSE(toolbar->holdsKeys());
    EXPECT_EQ(toolbar->nameField()->text(), "Half typed");
}

TEST_F(RegionEditorToolbarTest, ApplyAndCancelReportAndTheToolbarStays) {
    const auto toolbar = make(first);
    click(*toolbar, "Apply");
    click(*toolbar, "Cancel");
    EXPECT_EQ(calls, (std::vector<std::string>{"done", "cancel"}));
    EXPECT_TRUE(toolbar->isVisible());
}

// Where a child sits in the panel, in Qt's top-left coordinates.
QRect inPanel(const QWidget* panel, const QWidget* child) {
    return {child->mapTo(panel, QPoint(0, 0)), child->size()};
}

TEST_F(RegionEditorToolbarTest, ControlsSitWhereTheRowsPutThem) {
    const auto toolbar = make(first);
    const QWidget* panel = toolbar.get();
    EXPECT_EQ(inPanel(panel, toolbar->presetMenu()), QRect(12, 10, 140, 28));
    EXPECT_EQ(inPanel(panel, toolbar->button("Cancel")), QRect(172, 10, 64, 28));
    EXPECT_EQ(inPanel(panel, toolbar->button("New Preset")), QRect(244, 10, 82, 28));
    EXPECT_EQ(inPanel(panel, toolbar->button("Apply")), QRect(392, 10, 76, 28));
    EXPECT_EQ(inPanel(panel, toolbar->nameField()), QRect(56, 10, 270, 28));
    EXPECT_EQ(inPanel(panel, toolbar->button("Save")), QRect(338, 10, 60, 28));
    EXPECT_EQ(inPanel(panel, toolbar->button("Back")), QRect(406, 10, 60, 28));

    std::vector<QRect> separators;
    QWidget* label = nullptr;
    for (QWidget* child : toolbar->findChildren<QWidget*>()) {
        if (child->metaObject()->className() == QByteArray("QFrame")) {
            separators.push_back(inPanel(panel, child));
        }
        if (child->metaObject()->className() == QByteArray("QLabel")) {
            label = child;
        }
    }
    EXPECT_EQ(separators, (std::vector<QRect>{QRect(160, 10, 1, 28), QRect(384, 10, 1, 28)}));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(inPanel(panel, label), QRect(12, 16, 40, 18));
    EXPECT_EQ(label->font().weight(), QFont::Medium);
    EXPECT_EQ(toolbar->button("Apply")->font().weight(), QFont::Medium);
}

// Whether any pixel inside the rect is close to the colour.
bool shows(const QImage& image, const QRect& rect, const QColor& color) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - color.red()) + std::abs(pixel.green() - color.green()) +
                    std::abs(pixel.blue() - color.blue()) <
                30) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(RegionEditorToolbarTest, TranslucentPanelIsADarkRoundedRectWithAccentedApply) {
    const auto toolbar = make(first);
    const QImage image = toolbar->grab().toImage();
    ASSERT_EQ(image.size(), QSize(480, 48));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "rounded corner";
    EXPECT_EQ(image.pixelColor(479, 47).alpha(), 0) << "rounded corner";
    const QColor empty = image.pixelColor(355, 24); // between "New Preset" and the separator
    EXPECT_GT(empty.alpha(), 150);
    EXPECT_LT(empty.alpha(), 255) << "see-through";
    EXPECT_LT(empty.value(), 60) << "dark";

    EXPECT_TRUE(shows(image, inPanel(toolbar.get(), toolbar->button("Apply")), kAccent));
    EXPECT_FALSE(shows(image, inPanel(toolbar.get(), toolbar->button("Cancel")), kAccent));
}

TEST_F(RegionEditorToolbarTest, OpaquePanelCutsItsCornersOff) {
    const auto toolbar = make(first, false);
    EXPECT_FALSE(toolbar->mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(toolbar->mask().contains(QPoint(479, 47)));
    EXPECT_TRUE(toolbar->mask().contains(QPoint(10, 0)));
    EXPECT_TRUE(toolbar->mask().contains(QPoint(355, 24)));
    const QColor empty = toolbar->grab().toImage().pixelColor(355, 24);
    EXPECT_EQ(empty.alpha(), 255);
    EXPECT_LT(empty.value(), 60);
}

} // namespace
} // namespace vantile::test
