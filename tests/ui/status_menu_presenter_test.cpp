// The status menu as Qt shows it: the tree's titles and order, opened by a left click on the tray
// icon, preset lists refilled with their check marks each time they open, and choices reaching
// the program.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ui/status_menu_presenter.h"
#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

// The titles of the menu's items, "---" for a separator.
std::string titles(const QMenu* menu) {
    std::string out;
    for (const QAction* action : menu->actions()) {
        out += (out.empty() ? "" : "|") +
               (action->isSeparator() ? "---" : action->text().toStdString());
    }
    return out;
}

QAction* find(const QMenu* menu, const char* title) {
    const auto actions = menu->actions();
    const auto found = std::find_if(actions.begin(), actions.end(),
                                    [&](const QAction* action) { return action->text() == title; });
    return found == actions.end() ? nullptr : *found;
}

TEST(StatusMenuPresenter, ShowsTheTreeOnALeftClickRefillsPresetListsAndCarriesOutChoices) {
    TestApplication app;
    FakeDesktop desktop;
    desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    const std::uint64_t window = desktop.addFocusedWindow({100, 100, 400, 300});
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    NoSnapPreview preview;
    AppDelegate delegate{fakeAppEnvironment(desktop, preview, regions)};
    delegate.applicationDidFinishLaunching();
    StatusMenuPresenter presenter(delegate, desktop);
    QMenu* menu = presenter.menu();
    EXPECT_EQ(titles(menu), "Snap Window|---|Screen 1|Edit Regions...|---|Quit");
    for (const auto reason : {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger}) {
        emit presenter.tray()->activated(reason);
        EXPECT_EQ(menu->isVisible(), reason == QSystemTrayIcon::Trigger);
    }
    menu->close();

    QMenu* screenMenu = find(menu, "Screen 1")->menu();
    ASSERT_NE(screenMenu, nullptr);
    EXPECT_TRUE(screenMenu->actions().isEmpty()) << "empty until opened";
    for (const std::string checked : {"Clear", "Thirds"}) {
        emit screenMenu->aboutToShow();
        EXPECT_EQ(titles(screenMenu), "Halves|Thirds|Quarters|Coding (60/40)|---|Clear")
            << "refilled, not appended";
        for (const char* title : {"Clear", "Thirds"}) {
            EXPECT_EQ(find(screenMenu, title)->isChecked(), title == checked) << title;
        }
        find(screenMenu, "Thirds")->trigger();
    }
    EXPECT_EQ(regions.regionsForScreen(desktop.screenList[0]).size(), 3u);

    find(find(menu, "Snap Window")->menu(), "Right Half")->trigger();
    EXPECT_EQ(desktop.windows[window].frame, (Rect{720, 25, 720, 875}));
    EXPECT_EQ(find(menu, "Edit Regions...")->shortcut(), QKeySequence("Ctrl+Alt+E"));
    find(menu, "Edit Regions...")->trigger();
    EXPECT_EQ(delegate.editorWindows().size(), 1u) << "the editor opens on the one screen";
}

} // namespace
} // namespace vantile::test
