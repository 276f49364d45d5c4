#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

class AppDelegateTest : public ::testing::Test {
  protected:
    AppDelegateTest() { desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875}); }

    std::unique_ptr<AppDelegate> launch() {
        AppEnvironment env = test::fakeAppEnvironment(desktop, preview, regions);
        env.activate = [this] { ++activations; };
        env.makeOnboardingWindow = [this]() -> std::unique_ptr<OnboardingWindow> {
            auto window = std::make_unique<test::FakeOnboardingWindow>(
                desktop, [this] { return desktop.trusted; });
            onboarding = window.get();
            ++onboardingWindowsMade;
            return window;
        };
        env.terminate = [this] { ++terminations; };
        auto app = std::make_unique<AppDelegate>(std::move(env));
        app->applicationDidFinishLaunching();
        return app;
    }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    int activations = 0;
    int terminations = 0;
    int onboardingWindowsMade = 0;
    test::FakeOnboardingWindow* onboarding = nullptr;
    test::NoSnapPreview preview;
};

TEST_F(AppDelegateTest, TrustedAtLaunchSetsUpAtOnceAndSnapsWithoutPolling) {
    const auto window = desktop.addFocusedWindow({100, 100, 400, 300});
    auto app = launch();
    ASSERT_NE(app->windowManager(), nullptr);
    EXPECT_EQ(onboardingWindowsMade, 0);
    EXPECT_EQ(desktop.pendingTasks(), 0u) << "no permission poll once trusted";
    app->handleURL("vantile://snap?action=leftHalf");
    EXPECT_EQ(desktop.windows[window].frame, (Rect{0, 25, 720, 875}));
    desktop.pressKey({124, ShortcutManager::controlOption});
    EXPECT_EQ(desktop.windows[window].frame, (Rect{720, 25, 720, 875})) << "shortcuts work at once";
}

TEST_F(AppDelegateTest, UntrustedWaitsAndSnapDoesNothingButShowActivates) {
    const auto window = desktop.addFocusedWindow({100, 100, 400, 300});
    desktop.trusted = false;
    auto app = launch();
    EXPECT_EQ(app->windowManager(), nullptr);
    EXPECT_EQ(desktop.installedMonitors(), 0u) << "no shortcuts before the permission";
    EXPECT_TRUE(app->waitingForPermission());
    ASSERT_EQ(onboardingWindowsMade, 1);
    EXPECT_EQ(onboarding->shown, 1);
    EXPECT_EQ(activations, 1) << "the onboarding window is brought to the front";
    activations = 0;
    app->handleURL("vantile://snap?action=leftHalf");
    EXPECT_EQ(desktop.windows[window].frame, (Rect{100, 100, 400, 300}));
    app->handleURL("vantile://show?x=1");
    EXPECT_EQ(activations, 1);
    app->handleURL("vantile://other");
    EXPECT_EQ(activations, 1);
}

TEST_F(AppDelegateTest, PermissionGrantedLaterSetsUpExactlyOnceWithinOnePoll) {
    desktop.trusted = false;
    auto app = launch();
    desktop.advance(0.3);
    desktop.advance(0.3);
    EXPECT_EQ(app->windowManager(), nullptr);
    EXPECT_EQ(desktop.pendingTasks(), 1u) << "one poll pending at a time";

    desktop.trusted = true;
    desktop.advance(0.3);
    WindowManager* manager = app->windowManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(app->shortcutManager()->monitoring());
    EXPECT_TRUE(app->snapManager()->monitoring());
    EXPECT_EQ(desktop.installedMonitors(), 4u) << "two key and two mouse monitors, once";
    EXPECT_FALSE(app->waitingForPermission());
    EXPECT_EQ(app->onboardingWindow(), nullptr) << "the window is gone within one poll";
    EXPECT_EQ(onboardingWindowsMade, 1);
    EXPECT_EQ(desktop.pendingTasks(), 0u) << "polling stops once trusted";
    desktop.advance(1.0);
    EXPECT_EQ(app->windowManager(), manager) << "managers are created once";
}

TEST_F(AppDelegateTest, PollAfterTheDelegateIsGoneDoesNothing) {
    desktop.trusted = false;
    auto app = launch();
    app.reset();
    desktop.trusted = true;
    desktop.advance(0.3); // must not touch the destroyed delegate (ASan would report it)
    EXPECT_EQ(desktop.pendingTasks(), 0u);
}

TEST_F(AppDelegateTest, QuitBeforeThePermissionCreatesNothing) {
    desktop.trusted = false;
    auto app = launch();
    ASSERT_NE(onboarding, nullptr);
    onboarding->quitApp();
    EXPECT_EQ(terminations, 1);
    desktop.trusted = true;
    desktop.advance(1.0);
    EXPECT_EQ(app->windowManager(), nullptr) << "nothing is reported after Quit";
    EXPECT_EQ(desktop.installedMonitors(), 0u);
}

TEST(OnboardingWindowTest, ReportsOnceAndStopsAndAWindowWithoutCallbacksStopsToo) {
    test::FakeDesktop desktop;
    bool trusted = false;
    test::FakeOnboardingWindow window(desktop, [&] { return trusted; });
    int granted = 0;
    window.onAccessibilityGranted = [&] { ++granted; };
    desktop.advance(0.9);
    EXPECT_EQ(granted, 0);
    EXPECT_TRUE(window.polling());
    trusted = true;
    desktop.advance(0.3);
    EXPECT_EQ(granted, 1);
    EXPECT_FALSE(window.polling());
    EXPECT_EQ(desktop.pendingTasks(), 0u) << "no timer is left once the permission is found";
    desktop.advance(3.0);
    EXPECT_EQ(granted, 1);

    test::FakeOnboardingWindow silent(desktop, [] { return true; });
    desktop.advance(0.3);
    EXPECT_FALSE(silent.polling());
    EXPECT_EQ(desktop.pendingTasks(), 0u);
}

TEST(OnboardingWindowTest, QuitAndCloseStopThePollBeforeAnythingElse) {
    test::FakeDesktop desktop;
    bool trusted = false;
    test::FakeOnboardingWindow window(desktop, [&] { return trusted; });
    int granted = 0;
    bool pollingWhenQuitting = true;
    window.onAccessibilityGranted = [&] { ++granted; };
    window.onQuit = [&] { pollingWhenQuitting = window.polling(); };
    window.quitApp();
    EXPECT_FALSE(pollingWhenQuitting);
    trusted = true;
    desktop.advance(1.0);
    EXPECT_EQ(granted, 0);

    test::FakeOnboardingWindow closing(desktop, [] { return false; });
    closing.close();
    EXPECT_EQ(closing.closed, 1);
    EXPECT_FALSE(closing.polling());
    desktop.advance(1.0);
    EXPECT_EQ(desktop.pendingTasks(), 0u);
}

TEST(OnboardingWindowTest, ACheckAfterTheWindowIsGoneDoesNothing) {
    test::FakeDesktop desktop;
    int granted = 0;
    {
        test::FakeOnboardingWindow window(desktop, [] { return true; });
        window.onAccessibilityGranted = [&] { ++granted; };
    }
    desktop.advance(0.3); // ASan reports any touch of the destroyed window
    EXPECT_EQ(granted, 0);
}

} // namespace
} // namespace vantile
