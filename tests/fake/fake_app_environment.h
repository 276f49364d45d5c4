#pragma once

// An application environment made of the in-memory desktop: its screens, windows, monitors and
// clock, the given region manager, widget-less onboarding and editor windows. Tests replace the
// parts they watch.

#include "app/app_delegate.h"
#include "fake/fake_desktop.h"
#include "fake/fake_editor.h"
#include "fake/fake_onboarding_window.h"

namespace vantile::test {

struct NoSnapPreview : SnapPreview {
    void show(const Rect&) override {}
    void hide() override {}
};

inline AppEnvironment fakeAppEnvironment(FakeDesktop& desktop, SnapPreview& preview,
                                         RegionManager& regions) {
    AppEnvironment env{desktop, desktop, desktop, desktop, preview, desktop,
                       {},      {},      {},      {},      {},      {}};
    env.regionManager = [&regions]() -> RegionManager& { return regions; };
    env.makeOnboardingWindow = [&desktop]() -> std::unique_ptr<OnboardingWindow> {
        return std::make_unique<FakeOnboardingWindow>(desktop,
                                                      [&desktop] { return desktop.trusted; });
    };
    env.makeEditorWindow = [&desktop](const Screen& screen, BSPNode tree,
                                      bool isPrimary) -> std::unique_ptr<RegionEditorWindow> {
        return std::make_unique<FakeEditorWindow>(screen, std::move(tree), isPrimary, desktop,
                                                  [] { return false; });
    };
    env.makeEditorToolbar = [](const Screen& screen, RegionManager&,
                               EditorToolbarCallbacks callbacks) -> std::unique_ptr<EditorToolbar> {
        return std::make_unique<FakeEditorToolbar>(screen, std::move(callbacks));
    };
    return env;
}

} // namespace vantile::test
