#include "ui/qt/editor/region_editor_painter_stamps.h"

#include <QImage>
#include <QTransform>

#include <cmath>
#include <map>
#include <utility>

namespace vantile {

namespace {

// Clear pixels around a shape in its image.
constexpr int kMargin = 1;

// A drag moves a few shapes a frame, the rest are found again. The bound keeps a long drag
// from hoarding images: each holds at most a few thousand pixels.
constexpr std::size_t kMaxImages = 512;

using ImageKey = std::pair<StampShape, std::pair<double, double>>;

bool whole(double v) {
    return v == std::floor(v);
}

QImage rendered(const QSize& size, const QPointF& offset,
                const std::function<void(QPainter&)>& draw) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(offset);
    draw(painter);
    return image;
}

} // namespace

void drawStamp(QPainter& painter, const StampShape& shape, const QRectF& bounds,
               const std::function<void(QPainter&)>& draw) {
    const QTransform device = painter.deviceTransform();
    if (device.type() > QTransform::TxTranslate || !whole(device.dx()) || !whole(device.dy())) {
        draw(painter);
        return;
    }
    const QPointF shift(device.dx(), device.dy());
    const QPointF at = bounds.topLeft() + shift;
    // The image's top-left device pixel, and where the bounds start inside the image.
    const QPointF origin(std::floor(at.x()) - kMargin, std::floor(at.y()) - kMargin);
    const QPointF fraction = at - origin;
    // Painting happens on the GUI thread only.
    static std::map<ImageKey, QImage> images;
    const ImageKey key{shape, {fraction.x(), fraction.y()}};
    auto found = images.find(key);
    if (found == images.end()) {
        if (images.size() >= kMaxImages) {
            images.clear();
        }
        const QSize size(static_cast<int>(std::ceil(fraction.x() + bounds.width())) + kMargin,
                         static_cast<int>(std::ceil(fraction.y() + bounds.height())) + kMargin);
        found = images.emplace(key, rendered(size, shift - origin, draw)).first;
    }
    // From a whole device pixel back to logical coordinates: the image is blitted as it is.
    painter.drawImage(origin - shift, found->second);
}

} // namespace vantile
