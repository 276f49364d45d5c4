#include <gtest/gtest.h>

#include "core/windows/screen_detection.h"
#include "fake/fake_desktop.h"

namespace vantile {
namespace {

class ScreenDetectionTest : public ::testing::Test {
  protected:
    test::FakeDesktop desktop;
    ScreenDetection detection{desktop};
};

TEST_F(ScreenDetectionTest, LargestOverlapWinsAndTiesGoToTheEarlierScreen) {
    const auto primary = desktop.addScreen({0, 0, 1000, 800}, {0, 0, 1000, 775});
    const auto second = desktop.addScreen({1000, 0, 1000, 800}, {1000, 0, 1000, 800});
    EXPECT_EQ(detection.screenForFrame({500, 100, 1000, 400}), primary) << "half on each";
    EXPECT_EQ(detection.screenForFrame({600, 100, 1000, 400}), second) << "60% on the second";
    EXPECT_EQ(detection.screenForFrame({1000, 100, 10, 10}), second);
    EXPECT_EQ(detection.screenForFrame({990, 100, 10, 10}), primary) << "only touching the second";
}

TEST_F(ScreenDetectionTest, WindowOutsideEveryScreenBelongsToThePrimary) {
    const auto primary = desktop.addScreen({0, 0, 1000, 800}, {0, 0, 1000, 800});
    desktop.addScreen({1000, 0, 1000, 800}, {1000, 0, 1000, 800});
    EXPECT_EQ(detection.screenForFrame({5000, 5000, 100, 100}), primary);
}

TEST_F(ScreenDetectionTest, NoScreensMeansNoScreen) {
    EXPECT_FALSE(detection.screenForFrame({0, 0, 100, 100}));
    EXPECT_FALSE(detection.primaryHeight());
    const Screen orphan{7, {0, 0, 10, 10}, {1, 2, 3, 4}, ""};
    EXPECT_EQ(detection.axVisibleFrame(orphan), (Rect{1, 2, 3, 4})) << "returned unconverted";
}

TEST_F(ScreenDetectionTest, VisibleFrameIsFlippedWithThePrimaryHeight) {
    desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875}); // a 25-point bar at the top
    const auto above = desktop.addScreen({0, 900, 1920, 1080}, {0, 900, 1920, 1050});
    const auto below = desktop.addScreen({0, -768, 1024, 768}, {0, -768, 1024, 768});
    EXPECT_EQ(detection.axVisibleFrame(desktop.screenList[0]), (Rect{0, 25, 1440, 875}));
    EXPECT_EQ(detection.axVisibleFrame(above), (Rect{0, -1050, 1920, 1050}));
    EXPECT_EQ(detection.axVisibleFrame(below), (Rect{0, 900, 1024, 768}));
    // A window in the top-left space above the primary is found on the screen above.
    EXPECT_EQ(detection.screenForFrame({100, -500, 400, 300}), above);
}

} // namespace
} // namespace vantile
