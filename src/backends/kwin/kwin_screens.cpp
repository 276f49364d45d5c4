#include "backends/kwin/kwin_screens.h"

#include <QJsonArray>
#include <functional>

#include "base/desktop_space.h"

namespace vantile {

Rect rectFromJson(const QJsonObject& object) {
    return {
        object.value(QStringLiteral("x")).toDouble(), object.value(QStringLiteral("y")).toDouble(),
        object.value(QStringLiteral("w")).toDouble(), object.value(QStringLiteral("h")).toDouble()};
}

KWinScreens::KWinScreens(KWinBridge& bridge, Namer namer)
    : bridge_(bridge), namer_(std::move(namer)) {
    bridge_.on(QStringLiteral("screens"), [this](const QJsonObject& event) { update(event); });
}

void KWinScreens::update(const QJsonObject& event) {
    if (const int desktop = event.value(QStringLiteral("desktop")).toInt(); desktop > 0) {
        desktop_ = static_cast<std::uint32_t>(desktop);
    }
    std::vector<Monitor> monitors;
    for (const QJsonValue& value : event.value(QStringLiteral("list")).toArray()) {
        const QJsonObject object = value.toObject();
        Monitor monitor{object.value(QStringLiteral("name")).toString().toStdString(),
                        rectFromJson(object.value(QStringLiteral("full")).toObject()),
                        rectFromJson(object.value(QStringLiteral("area")).toObject())};
        if (monitor.name.empty() && namer_) {
            monitor.name = namer_(monitor.full);
        }
        monitors.push_back(std::move(monitor));
    }
    const auto frames = [](const std::vector<Monitor>& list) {
        std::vector<Rect> out;
        for (const Monitor& monitor : list) {
            out.push_back(monitor.full);
        }
        return out;
    };
    // A panel that comes or goes changes only the usable areas, which is no new configuration.
    const bool configurationChanged = !monitors_.empty() && frames(monitors) != frames(monitors_);
    monitors_ = std::move(monitors);
    if (configurationChanged && changed_) {
        changed_();
    }
}

Rect KWinScreens::primaryInDesktopPixels() const {
    return monitors_.empty() ? Rect{} : monitors_.front().full;
}

std::vector<Screen> KWinScreens::screens() const {
    std::vector<Screen> list;
    const Rect primary = primaryInDesktopPixels();
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const Monitor& monitor = monitors_[i];
        Screen screen;
        screen.localizedName =
            monitor.name.empty() ? "Screen " + std::to_string(i + 1) : monitor.name;
        screen.id = std::hash<std::string>{}(screen.localizedName);
        screen.frame = rootToScreenSpace(monitor.full, primary);
        screen.visibleFrame =
            monitor.area.width > 0 ? rootToScreenSpace(monitor.area, primary) : screen.frame;
        list.push_back(std::move(screen));
    }
    return list;
}

std::optional<Screen> KWinScreens::mainScreen() const {
    const auto list = screens();
    if (list.empty()) {
        return std::nullopt;
    }
    const Point pointer = mouseLocation();
    for (const Screen& screen : list) {
        const Rect& f = screen.frame;
        if (pointer.x >= f.minX() && pointer.x < f.maxX() && pointer.y > f.minY() &&
            pointer.y <= f.maxY()) {
            return screen;
        }
    }
    return list.front();
}

Point KWinScreens::mouseLocation() const {
    return rootToScreenSpace(bridge_.cursor(), primaryInDesktopPixels());
}

} // namespace vantile
