// Speed of one frame of the region editor on a 4K screen: the layout rebuilt from the tree and the
// whole view painted, as happens on every hover change and every step of a boundary drag.
// Prints the median next to its target; a figure over its target is reported, not a failure.

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "ui/qt/editor/region_editor_view.h"
#include "core/regions/bsp_node.h"

using namespace vantile;
using Stopwatch = std::chrono::steady_clock;

namespace {

constexpr int runs = 51;
constexpr int levels = 5;
constexpr double targetMs = 8;
const Rect screenFrame{0, 0, 3840, 2160};
const Rect visibleFrame{0, 0, 3840, 2128};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// 2^levels regions, splits alternating between columns and rows, every region labelled so the
// frame draws all the text a hand-made layout could show.
BSPNode balancedTree(int depth, SplitDirection direction, int& counter) {
    if (depth == 0) {
        return BSPNode::leaf(Region{Uuid::random(), {}, "Region " + std::to_string(++counter)});
    }
    const SplitDirection next = direction == SplitDirection::vertical ? SplitDirection::horizontal
                                                                      : SplitDirection::vertical;
    BSPNode first = balancedTree(depth - 1, next, counter);
    BSPNode second = balancedTree(depth - 1, next, counter);
    return BSPNode::split(direction, 0.45, std::move(first), std::move(second));
}

} // namespace

int main(int argc, char** argv) {
    // Set before the application exists: Qt picks its platform once, while starting.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    int counter = 0;
    RegionEditorView view(balancedTree(levels, SplitDirection::vertical, counter), visibleFrame,
                          screenFrame);
    view.resize(static_cast<int>(screenFrame.width), static_cast<int>(screenFrame.height));
    view.rebuildLayout();
    // A hovered boundary draws the wider bar too.
    view.model().mouseMoved(view.model().boundaryLines().at(3).rect.origin());

    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        image.fill(Qt::transparent);
        const auto start = Stopwatch::now();
        view.rebuildLayout();
        // Without the palette's window background, which the editor's translucent window never
        // paints: only what the editor itself draws is timed.
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        times.push_back(std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count());
    }
    const double ms = median(times);
    std::printf(
        "editor frame, %zu regions at %dx%d: median %.2f ms over %d runs (target < %.0f ms, "
        "%s)\n",
        view.model().regionRects().size(), image.width(), image.height(), ms, runs, targetMs,
        ms < targetMs ? "within" : "OVER");
    return 0;
}
