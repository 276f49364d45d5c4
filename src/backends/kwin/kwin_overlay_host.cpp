#include "backends/kwin/kwin_overlay_host.h"

#include <QJsonObject>
#include <cmath>

namespace vantile {

void KWinOverlayHost::place(const std::string& title, const Rect& r, bool takesKeys) {
    const auto pixel = [](double value) { return static_cast<int>(std::lround(value)); };
    bridge_.send({{QStringLiteral("c"), QStringLiteral("place")},
                  {QStringLiteral("title"), QString::fromStdString(title)},
                  {QStringLiteral("x"), pixel(r.x)},
                  {QStringLiteral("y"), pixel(r.y)},
                  {QStringLiteral("w"), pixel(r.width)},
                  {QStringLiteral("h"), pixel(r.height)},
                  {QStringLiteral("keys"), takesKeys}});
}

void KWinOverlayHost::forget(const std::string& title) {
    bridge_.send({{QStringLiteral("c"), QStringLiteral("unplace")},
                  {QStringLiteral("title"), QString::fromStdString(title)}});
}

void KWinOverlayHost::activate(const std::string& title) {
    bridge_.send({{QStringLiteral("c"), QStringLiteral("activate")},
                  {QStringLiteral("title"), QString::fromStdString(title)}});
}

} // namespace vantile
