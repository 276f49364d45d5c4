// The region editor's toolbar rendered offscreen: its menu and rows, the callbacks its buttons and
// keys reach, and how it looks with and without a compositor. Where it sits and typing a new
// preset's name are tried on a real desktop with the whole editor.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "editor/ui/region_editor_toolbar.h"
#include "fake/fake_desktop.h"
#include "regions/builtin_presets.h"
#include "support/temp_dir.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

using Strings = std::vector<std::string>;

// Where a child sits in the panel, in Qt's top-left coordinates.
QRect inPanel(const QWidget* panel, const QWidget* child) {
    return {child->mapTo(panel, QPoint(0, 0)), child->size()};
}

class RegionEditorToolbarTest : public OffscreenTest {
  protected:
    std::unique_ptr<RegionEditorToolbar> make(const Screen& screen, bool translucent = true) {
        // Screen space flipped about the 900-pixel primary screen, as on a desktop without scaling.
        const auto toQtGlobal = [](const Rect& r) {
            return QRect(int(r.x), int(900 - r.maxY()), int(r.width), int(r.height));
        };
        auto toolbar = std::make_unique<RegionEditorToolbar>(
            screen, regions, desktop, toQtGlobal, translucent, [this] { record("done"); },
            [this] { record("cancel"); },
            [this](const RegionPreset& preset) { record("preset " + preset.name); },
            [this](const std::string& name) {
                record("save " + name);
                return diskWorks && regions.saveCustomPreset(name);
            });
        toolbar->orderFront();
        return toolbar;
    }

    // The calls the toolbar made, joined by "|".
    void record(const std::string& call) { calls += (calls.empty() ? "" : "|") + call; }

    void click(RegionEditorToolbar& toolbar, const std::string& title) {
        QPushButton* button = toolbar.button(QString::fromStdString(title));
        ASSERT_TRUE(button && button->isVisible()) << title;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    FakeDesktop desktop;
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    Screen first = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    Screen second = desktop.addScreen({1440, 0, 1920, 1080}, {1440, 0, 1920, 1080});
    std::string calls;
    bool diskWorks = true;
};

TEST_F(RegionEditorToolbarTest, MenuListsThePresetsAndReportsOnlyAChosenOne) {
    regions.applyPreset(builtInPresets()[1], first);
    regions.applyPreset(builtInPresets()[2], second);
    const auto toolbar = make(second);
    // Centred on its screen's frame, 16 below the top of its visible frame.
    EXPECT_EQ(toolbar->geometry(), QRect(2160, -164, 480, 48));
    QComboBox* menu = toolbar->presetMenu();
    Strings items;
    for (int i = 0; i < menu->count(); ++i) {
        items.push_back(menu->itemText(i).toStdString());
    }
    EXPECT_EQ(items, (Strings{"Presets...", "Halves", "Thirds", "Quarters", "Coding (60/40)"}));
    EXPECT_EQ(menu->currentIndex(), 2) << "the first screen's active preset, not its own";
    EXPECT_TRUE(menu->isVisible() && !toolbar->isSaveRowShown());
    EXPECT_TRUE(calls.empty()) << "filling the menu chooses nothing";
    for (const int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Home}) {
        QTest::keyClick(menu, Qt::Key(key));
    }
    EXPECT_EQ(menu->currentIndex(), 0);
    EXPECT_EQ(calls, "preset Quarters|preset Coding (60/40)") << "the placeholder chooses nothing";
}

TEST_F(RegionEditorToolbarTest, ButtonsReportAndTheSaveRowComesAndGoes) {
    // Steps, split at "|": a button's title clicks it, "=" sets the name field's text, "!fail"
    // and "!work" make the disk fail and work again. An empty name is saved as "Untitled"; a
    // save that could not be written says so and keeps the row for another try; the toolbar
    // never closes itself. Then the calls, whether the save row shows, its label and its field.
    const std::tuple<const char*, const char*, bool, const char*, const char*> scripts[] = {
        {"Apply|Cancel", "done|cancel", false, "Name:", "My Layout"},
        {"New Preset|=|Save|New Preset|=   |Save", "save Untitled|save    ", false, "Name:", "   "},
        {"!fail|New Preset|Save", "save My Layout", true, "Failed:", "My Layout"},
        {"!fail|New Preset|Save|!work|Save", "save My Layout|save My Layout", false,
         "Name:", "My Layout"},
        {"New Preset|=Half typed|Back", "", false, "Name:", "Half typed"}};
    for (const auto& [steps, expectedCalls, saveRowShown, label, field] : scripts) {
        SCOPED_TRACE(steps);
        calls.clear();
        diskWorks = true;
        const auto toolbar = make(first);
        for (const QString& step : QString(steps).split('|', Qt::SkipEmptyParts)) {
            if (step.startsWith('=')) {
                toolbar->nameField()->setText(step.mid(1));
            } else if (step.startsWith('!')) {
                diskWorks = step == "!work";
            } else {
                click(*toolbar, step.toStdString());
            }
        }
        EXPECT_EQ(calls, expectedCalls);
        EXPECT_EQ(std::pair(toolbar->isSaveRowShown(), toolbar->presetMenu()->isVisible()),
                  std::pair(saveRowShown, !saveRowShown));
        EXPECT_EQ(toolbar->nameLabel()->text(), label);
        EXPECT_EQ(toolbar->nameField()->text(), field);
        EXPECT_TRUE(toolbar->isVisible());
    }
}

TEST_F(RegionEditorToolbarTest, PanelIsDarkWithRoundedCornersAndAnAccentedApply) {
    for (const bool translucent : {true, false}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        const auto toolbar = make(first, translucent);
        const QImage image = toolbar->grab().toImage();
        // Between "New Preset" and the separator. Without a compositor the corners are cut off.
        expectPixel(image, {355, 24}, translucent ? QColor(30, 30, 32, 217) : QColor(38, 38, 40));
        for (const QPoint corner : {QPoint(0, 0), QPoint(479, 47)}) {
            EXPECT_FALSE(translucent ? image.pixelColor(corner).alpha() > 0
                                     : toolbar->mask().contains(corner));
        }
        EXPECT_EQ(toolbar->mask().contains(QPoint(10, 0)), !translucent);
        // The rows were laid out from the panel's bottom: the label is 14 above it.
        EXPECT_EQ(inPanel(toolbar.get(), toolbar->nameLabel()), QRect(12, 16, 40, 18));
        std::vector<QRect> separators;
        for (const QFrame* frame : toolbar->findChildren<QFrame*>()) {
            if (frame->metaObject()->className() == QByteArray("QFrame")) {
                separators.push_back(inPanel(toolbar.get(), frame));
            }
        }
        EXPECT_EQ(separators, (std::vector<QRect>{QRect(160, 10, 1, 28), QRect(384, 10, 1, 28)}));
        // The accent shows in the Apply button's text and nowhere in Cancel's.
        for (const auto& [title, accented] :
             {std::pair("Apply", true), std::pair("Cancel", false)}) {
            const QRect box = inPanel(toolbar.get(), toolbar->button(title));
            bool found = false;
            for (int y = box.top(); y <= box.bottom(); ++y) {
                for (int x = box.left(); x <= box.right(); ++x) {
                    const QColor p = image.pixelColor(x, y);
                    found |= std::abs(p.red() - kAccent.red()) +
                                 std::abs(p.green() - kAccent.green()) +
                                 std::abs(p.blue() - kAccent.blue()) <
                             30;
                }
            }
            EXPECT_EQ(found, accented) << title;
        }
    }
}

} // namespace
} // namespace vantile::test
