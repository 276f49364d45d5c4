// The arithmetic under the X11 backend: struts, frame extents, coordinate spaces and protocol
// names. No X server needed.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "backends/x11/x11_frame_extents.h"
#include "backends/x11/x11_move_resize.h"
#include "backends/x11/x11_protocol_names.h"
#include "backends/x11/x11_struts.h"
#include "base/desktop_space.h"
#include "support/rect_printing.h"

namespace vantile {
namespace {

const Size kRoot{3000, 2000};

std::vector<std::uint32_t> partialStrut(std::array<std::uint32_t, 12> values) {
    return {values.begin(), values.end()};
}

TEST(X11Struts, PartialStrutsBecomeRectsAlongTheirEdges) {
    // left 30 over y 100..599, right 40 over y 0..99, top 20 over x 10..209, bottom 50 over
    // x 1000..2999.
    const auto struts =
        strutsOf(partialStrut({30, 40, 20, 50, 100, 599, 0, 99, 10, 209, 1000, 2999}), {}, kRoot);
    ASSERT_EQ(struts.size(), 4u);
    EXPECT_EQ(struts[0].edge, Edge::left);
    EXPECT_EQ(struts[0].area, (Rect{0, 100, 30, 500}));
    EXPECT_EQ(struts[1].edge, Edge::right);
    EXPECT_EQ(struts[1].area, (Rect{2960, 0, 40, 100}));
    EXPECT_EQ(struts[2].edge, Edge::top);
    EXPECT_EQ(struts[2].area, (Rect{10, 0, 200, 20}));
    EXPECT_EQ(struts[3].edge, Edge::bottom);
    EXPECT_EQ(struts[3].area, (Rect{1000, 1950, 2000, 50}));
}

TEST(X11Struts, LegacyStrutSpansTheWholeEdgeAndPartialWins) {
    const std::vector<std::uint32_t> legacy = {0, 0, 25, 0};
    const auto fromLegacy = strutsOf({}, legacy, kRoot);
    ASSERT_EQ(fromLegacy.size(), 1u);
    EXPECT_EQ(fromLegacy[0].area, (Rect{0, 0, 3000, 25}));

    const auto partial = partialStrut({0, 0, 10, 0, 0, 0, 0, 0, 0, 99, 0, 0});
    const auto both = strutsOf(partial, legacy, kRoot);
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].area, (Rect{0, 0, 100, 10}));
}

TEST(X11Struts, MissingOrMalformedStrutsReserveNothing) {
    EXPECT_TRUE(strutsOf({}, {}, kRoot).empty());
    const std::vector<std::uint32_t> tooShort = {5, 5};
    EXPECT_TRUE(strutsOf({}, tooShort, kRoot).empty());
    // An end before its start covers nothing.
    EXPECT_TRUE(
        strutsOf(partialStrut({30, 0, 0, 0, 500, 100, 0, 0, 0, 0, 0, 0}), {}, kRoot).empty());
}

TEST(X11Struts, OnlyStrutsOverlappingTheMonitorShrinkIt) {
    const Rect left{0, 0, 1500, 2000};
    const Rect right{1500, 0, 1500, 2000};
    // A panel of 40 along the top of the right monitor only, and one of 60 along the left edge
    // of the whole root.
    const auto struts =
        strutsOf(partialStrut({60, 0, 40, 0, 0, 1999, 0, 0, 1500, 2999, 0, 0}), {}, kRoot);
    EXPECT_EQ(usableArea(left, struts), (Rect{60, 0, 1440, 2000}));
    EXPECT_EQ(usableArea(right, struts), (Rect{1500, 40, 1500, 1960}));
}

TEST(X11Struts, BottomAndRightStrutsPullTheFarEdgesIn) {
    const Rect monitor{0, 0, 3000, 2000};
    const auto struts =
        strutsOf(partialStrut({0, 100, 0, 26, 0, 0, 0, 1999, 0, 0, 0, 2999}), {}, kRoot);
    EXPECT_EQ(usableArea(monitor, struts), (Rect{0, 0, 2900, 1974}));
}

TEST(X11Struts, StrutTouchingAMonitorOnlyAtItsEdgeLeavesItAlone) {
    const Rect lower{0, 1000, 3000, 1000};
    // A top strut of 1000 pixels ends exactly where the lower monitor begins.
    const auto struts =
        strutsOf(partialStrut({0, 0, 1000, 0, 0, 0, 0, 0, 0, 2999, 0, 0}), {}, kRoot);
    EXPECT_EQ(usableArea(lower, struts), lower);
}

// Any program may set any strut: one that reserves the whole monitor, or more than the root,
// leaves the monitor as a whole rather than a sliver or an area past its edge.
TEST(X11Struts, StrutsLeavingNoRoomGiveTheWholeMonitor) {
    const Rect monitor{0, 0, 1440, 900};
    const std::uint32_t huge = 0xFFFFFFFF;
    const std::vector<std::array<std::uint32_t, 12>> hostile = {
        {1440, 0, 0, 0, 0, 899, 0, 0, 0, 0, 0, 0},
        {huge, 0, 0, 0, 0, 899, 0, 0, 0, 0, 0, 0},
        {0, huge, 0, 0, 0, 0, 0, 899, 0, 0, 0, 0},
        {0, 0, 850, 0, 0, 0, 0, 0, 0, 1439, 0, 0},
        {700, 2300, 0, 0, 0, 899, 0, 899, 0, 0, 0, 0}};
    for (const auto& values : hostile) {
        EXPECT_EQ(usableArea(monitor, strutsOf(partialStrut(values), {}, kRoot)), monitor)
            << values[0] << " " << values[1] << " " << values[2];
    }
}

// Fluxbox keeps its toolbar's space through the work area alone; elsewhere the work area of the
// whole root is what the struts make of it and adds nothing.
TEST(X11Struts, TheWorkAreaReservesOnlyWhatNoStrutExplains) {
    const Rect left{0, 0, 1500, 2000};
    const Rect right{1500, 0, 1500, 2000};
    const auto toolbar = workAreaStruts({0, 0, 3000, 1980}, kRoot, {});
    EXPECT_EQ(usableArea(left, toolbar), (Rect{0, 0, 1500, 1980}));
    EXPECT_EQ(usableArea(right, toolbar), (Rect{1500, 0, 1500, 1980}));

    // A panel along the bottom of the left monitor only: the struts keep the right one whole.
    const auto panel = strutsOf(partialStrut({0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1499}), {}, kRoot);
    EXPECT_TRUE(workAreaStruts({0, 0, 3000, 1970}, kRoot, panel).empty());
    EXPECT_TRUE(workAreaStruts({0, 0, 3000, 2000}, kRoot, {}).empty());
    EXPECT_TRUE(workAreaStruts({0, 0, 4000, 2000}, kRoot, {}).empty()) << "larger than the root";
}

TEST(X11FrameExtents, VisibleFrameGrowsByTheFrameAndShrinksByShadows) {
    const Rect client{100, 200, 400, 300};
    const Extents frame{1, 2, 20, 5};
    const Extents shadow{10, 11, 8, 12};
    EXPECT_EQ(visibleFrame(client, frame, {}), (Rect{99, 180, 403, 325}));
    EXPECT_EQ(visibleFrame(client, {}, shadow), (Rect{110, 208, 379, 280}));
    EXPECT_EQ(visibleFrame(client, frame, shadow), (Rect{109, 188, 382, 305}));
}

TEST(X11FrameExtents, ClientRectIsTheInverseInWholePixels) {
    const Extents frame{1, 2, 20, 5};
    const Extents shadow{10, 11, 8, 12};
    const ClientRect client = clientRectFor(Rect{109, 188, 382, 305}, frame, shadow);
    EXPECT_EQ(client, (ClientRect{100, 200, 400, 300}));
    // Halves round away from zero, like lround.
    EXPECT_EQ(clientRectFor(Rect{10.5, -3.5, 200.4, 99.6}, {}, {}), (ClientRect{11, -4, 200, 100}));
}

TEST(X11FrameExtents, ConfigureRequestsNameTheFrameCorner) {
    // A visible frame at (100, 50) with a 1-pixel border and a 20-pixel title: the client stands
    // at (101, 70), and a north-west configure request must name the frame's corner.
    const Extents frame{1, 1, 20, 5};
    const ClientRect client = clientRectFor(Rect{100, 50, 402, 325}, frame, {});
    EXPECT_EQ(client, (ClientRect{101, 70, 400, 300}));
    EXPECT_EQ(configureRequestRect(client, frame), (ClientRect{100, 50, 400, 300}));
    // Client-side shadows stay inside the client, so they do not move the frame's corner.
    const ClientRect shadowed = clientRectFor(Rect{100, 50, 400, 300}, {}, {10, 10, 8, 12});
    EXPECT_EQ(configureRequestRect(shadowed, {}), (ClientRect{90, 42, 420, 320}));
}

TEST(X11FrameExtents, ClientRectIsAtLeastOnePixel) {
    const Extents frame{5, 5, 24, 5};
    EXPECT_EQ(clientRectFor(Rect{0, 0, 4, 10}, frame, {}), (ClientRect{5, 24, 1, 1}));
}

TEST(X11FrameExtents, ExtentsNeedFourValues) {
    const std::vector<std::uint32_t> four = {1, 2, 3, 4};
    const std::vector<std::uint32_t> three = {1, 2, 3};
    EXPECT_EQ(extentsFrom(four), (Extents{1, 2, 3, 4}));
    EXPECT_EQ(extentsFrom(three), Extents{});
}

TEST(X11Coordinates, RootRectsFlipAroundThePrimaryMonitor) {
    const Rect primary{0, 1080, 1920, 1080};
    EXPECT_EQ(rootToScreenSpace(primary, primary), (Rect{0, 0, 1920, 1080}));
    // A monitor above the primary lies above it in screen space too.
    EXPECT_EQ(rootToScreenSpace(Rect{300, 56, 1280, 1024}, primary), (Rect{300, 1080, 1280, 1024}));
    EXPECT_EQ(rootToScreenSpace(Point{10, 1070}, primary), (Point{10, 1090}));
}

TEST(X11Coordinates, WindowSpaceIsRootShiftedToThePrimaryCorner) {
    const Rect primary{500, 1080, 1920, 1080};
    EXPECT_EQ(rootToWindowSpace(Point{600, 100}, primary), (Point{100, -980}));
    EXPECT_EQ(windowSpaceToRoot(Point{100, -980}, primary), (Point{600, 100}));
}

TEST(X11ProtocolNames, CoreRequestsAndErrorsHaveTheirProtocolNames) {
    EXPECT_EQ(coreRequestName(1), "CreateWindow");
    EXPECT_EQ(coreRequestName(12), "ConfigureWindow");
    EXPECT_EQ(coreRequestName(20), "GetProperty");
    EXPECT_EQ(coreRequestName(25), "SendEvent");
    EXPECT_EQ(coreRequestName(40), "TranslateCoordinates");
    EXPECT_EQ(coreRequestName(119), "GetModifierMapping");
    EXPECT_EQ(coreRequestName(127), "NoOperation");
    EXPECT_EQ(coreRequestName(0), "");
    EXPECT_EQ(coreRequestName(123), "");
    EXPECT_EQ(coreRequestName(200), "");
    EXPECT_EQ(coreErrorName(2), "BadValue");
    EXPECT_EQ(coreErrorName(3), "BadWindow");
    EXPECT_EQ(coreErrorName(17), "BadImplementation");
    EXPECT_EQ(coreErrorName(18), "");
}

TEST(X11ProtocolNames, RandrRequestsHaveTheirNames) {
    EXPECT_EQ(randrRequestName(0), "QueryVersion");
    EXPECT_EQ(randrRequestName(42), "GetMonitors");
    EXPECT_EQ(randrRequestName(43), "SetMonitor");
    EXPECT_EQ(randrRequestName(1), "");
    EXPECT_EQ(randrRequestName(47), "");
    EXPECT_EQ(randrErrorName(1), "BadCrtc");
    EXPECT_EQ(randrErrorName(4), "");
}

} // namespace
} // namespace vantile
