// The status menu as Qt shows it: the tree's titles and order, preset lists refilled with their
// check marks each time they open, and choices reaching the program.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"
#include "test_application.h"
#include "ui/qt/status_menu_presenter.h"

namespace vantile::test {
namespace {

std::vector<std::string> titles(const QMenu* menu) {
    std::vector<std::string> out;
    for (const QAction* action : menu->actions()) {
        out.push_back(action->isSeparator() ? "---" : action->text().toStdString());
    }
    return out;
}

QAction* find(const QMenu* menu, const char* title) {
    for (QAction* action : menu->actions()) {
        if (action->text() == title) {
            return action;
        }
    }
    return nullptr;
}

class StatusMenuPresenterTest : public ::testing::Test {
  protected:
    StatusMenuPresenterTest() {
        desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
        window = desktop.addFocusedWindow({100, 100, 400, 300});
        delegate.applicationDidFinishLaunching();
    }

    std::unique_ptr<TestApplication> app = TestApplication::offscreen();
    FakeDesktop desktop;
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    NoSnapPreview preview;
    AppDelegate delegate{fakeAppEnvironment(desktop, preview, regions)};
    std::uint64_t window = 0;
};

TEST_F(StatusMenuPresenterTest, ShowsTheTreeAndSnapsFromIt) {
    StatusMenuPresenter presenter(delegate, desktop);
    EXPECT_EQ(titles(presenter.menu()),
              (std::vector<std::string>{"Snap Window", "---", "Screen 1", "Edit Regions...", "---",
                                        "Quit"}));
    EXPECT_EQ(find(presenter.menu(), "Edit Regions...")->shortcut(), QKeySequence("Ctrl+Alt+E"));
    QMenu* snap = find(presenter.menu(), "Snap Window")->menu();
    ASSERT_NE(snap, nullptr);
    find(snap, "Right Half")->trigger();
    EXPECT_EQ(desktop.windows[window].frame, (Rect{720, 25, 720, 875}));
    find(presenter.menu(), "Edit Regions...")->trigger();
    EXPECT_EQ(delegate.editorWindows().size(), 1u) << "the editor opens on the one screen";
}

TEST_F(StatusMenuPresenterTest, LeftClickOnTheTrayIconOpensTheMenu) {
    StatusMenuPresenter presenter(delegate, desktop);
    emit presenter.tray()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(presenter.menu()->isVisible());
    emit presenter.tray()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(presenter.menu()->isVisible());
    presenter.menu()->close();
}

TEST_F(StatusMenuPresenterTest, PresetListIsRefilledWithItsCheckMarkEachTimeItOpens) {
    StatusMenuPresenter presenter(delegate, desktop);
    QMenu* screenMenu = find(presenter.menu(), "Screen 1")->menu();
    ASSERT_NE(screenMenu, nullptr);
    EXPECT_TRUE(screenMenu->actions().isEmpty()) << "empty until opened";

    emit screenMenu->aboutToShow();
    EXPECT_EQ(titles(screenMenu), (std::vector<std::string>{"Halves", "Thirds", "Quarters",
                                                            "Coding (60/40)", "---", "Clear"}));
    EXPECT_TRUE(find(screenMenu, "Clear")->isChecked());
    find(screenMenu, "Thirds")->trigger();

    emit screenMenu->aboutToShow();
    EXPECT_TRUE(find(screenMenu, "Thirds")->isChecked());
    EXPECT_FALSE(find(screenMenu, "Clear")->isChecked());
    EXPECT_EQ(titles(screenMenu).size(), 6u) << "refilled, not appended";
    EXPECT_EQ(regions.regionsForScreen(desktop.screenList[0]).size(), 3u);
}

} // namespace
} // namespace vantile::test
