#pragma once

// An application environment made of the in-memory desktop: its screens, windows, monitors and
// clock, the given region manager, widget-less onboarding and editor windows. Tests replace the
// parts they watch.

#include "app/app_delegate.h"
#include "app/onboarding_window.h"
#include "core/editor/editor_toolbar.h"
#include "core/editor/region_editor_window.h"
#include "fake/fake_desktop.h"

namespace vantile::test {

struct NoSnapPreview : SnapPreview {
    void show(const Rect&) override {}
    void hide() override {}
};

// The onboarding window without widgets: its checks are the real ones; showing and closing are
// counted.
class FakeOnboardingWindow : public OnboardingWindow {
  public:
    using OnboardingWindow::OnboardingWindow;
    void makeKeyAndOrderFront() override { ++shown; }
    void orderOut() override {}
    int shown = 0;
    int closed = 0;

  protected:
    void closeWindow() override { ++closed; }
};

// The region editor's windows and toolbar without widgets: the windows' trees and keys are the
// real ones; showing and what reaches the view are recorded.
class FakeEditorWindow : public RegionEditorWindow {
  public:
    using RegionEditorWindow::RegionEditorWindow;
    void makeKeyAndOrderFront() override { ++shown; }
    void orderOut() override {}
    // What the view reports when the user edits.
    void userEdits(const BSPNode& tree) { viewTreeChanged(tree); }
    void userPresses() { viewInteraction(); }
    int shown = 0;
    int undos = 0;
    int redos = 0;
    std::optional<BSPNode> viewTree;

  protected:
    void setViewTree(const BSPNode& tree) override { viewTree = tree; }
    void undo() override { ++undos; }
    void redo() override { ++redos; }
};

// Whether it holds the keys (a name being typed) is shared with the editor windows, which ask.
class FakeEditorToolbar : public EditorToolbar {
  public:
    FakeEditorToolbar(const Screen& screen, EditorToolbarCallbacks callbacks,
                      std::shared_ptr<bool> holdingKeys)
        : screen(screen), callbacks(std::move(callbacks)), holdingKeys(std::move(holdingKeys)) {}
    void orderFront() override { ++orderedFront; }
    void orderOut() override {}
    bool holdsKeys() const override { return *holdingKeys; }
    Screen screen;
    EditorToolbarCallbacks callbacks;
    int orderedFront = 0;
    std::shared_ptr<bool> holdingKeys;
};

inline AppEnvironment fakeAppEnvironment(FakeDesktop& desktop, SnapPreview& preview,
                                         RegionManager& regions) {
    AppEnvironment env{
        desktop, desktop, desktop, desktop.shortcuts, desktop.drags, preview, desktop, {}, {}, {},
        {},      {},      {}};
    env.regionManager = [&regions]() -> RegionManager& { return regions; };
    env.makeOnboardingWindow = [&desktop]() -> std::unique_ptr<OnboardingWindow> {
        return std::make_unique<FakeOnboardingWindow>(desktop,
                                                      [&desktop] { return desktop.trusted; });
    };
    const auto holding = std::make_shared<bool>(false);
    env.makeEditorWindow = [&desktop,
                            holding](const Screen& screen, BSPNode tree,
                                     bool isPrimary) -> std::unique_ptr<RegionEditorWindow> {
        return std::make_unique<FakeEditorWindow>(screen, std::move(tree), isPrimary, desktop,
                                                  [holding] { return *holding; });
    };
    env.makeEditorToolbar =
        [holding](const Screen& screen, RegionManager&,
                  EditorToolbarCallbacks callbacks) -> std::unique_ptr<EditorToolbar> {
        return std::make_unique<FakeEditorToolbar>(screen, std::move(callbacks), holding);
    };
    return env;
}

} // namespace vantile::test
