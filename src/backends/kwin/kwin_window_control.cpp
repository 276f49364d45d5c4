#include "backends/kwin/kwin_window_control.h"

#include <QJsonObject>
#include <QTimer>
#include <cmath>

namespace vantile {

KWinWindowControl::KWinWindowControl(KWinBridge& bridge, const KWinScreens& screens)
    : bridge_(bridge), screens_(screens) {
    const auto frameOf = [this](const QJsonObject& event) {
        const WindowRef ref = refFor(event.value(QStringLiteral("id")).toString());
        frames_[ref.id] = rectFromJson(event.value(QStringLiteral("frame")).toObject());
        return ref;
    };
    bridge_.on(QStringLiteral("active"), [this, frameOf](const QJsonObject& event) {
        active_ =
            event.contains(QStringLiteral("id")) ? std::optional(frameOf(event)) : std::nullopt;
    });
    bridge_.on(QStringLiteral("frame"), [frameOf](const QJsonObject& event) { frameOf(event); });
    bridge_.on(QStringLiteral("placed"), [this](const QJsonObject& event) {
        finish(event.value(QStringLiteral("id")).toString());
    });
}

// KWin names windows by a UUID; the program's handles are numbers never given twice.
WindowRef KWinWindowControl::refFor(const QString& id) {
    auto [entry, added] = refs_.try_emplace(id, refs_.size() + 1);
    if (added) {
        ids_[entry->second] = id;
    }
    return {entry->second};
}

std::optional<Rect> KWinWindowControl::frame(const WindowRef& window) {
    const auto found = frames_.find(window.id);
    if (found == frames_.end()) {
        return std::nullopt;
    }
    const Rect primary = screens_.primaryInDesktopPixels();
    const Rect& f = found->second;
    return Rect{f.x - primary.x, f.y - primary.y, f.width, f.height};
}

void KWinWindowControl::setFrame(const WindowRef& window, const Rect& frame,
                                 std::function<void()> done) {
    const auto id = ids_.find(window.id);
    if (id == ids_.end()) {
        if (done) {
            done();
        }
        return;
    }
    const Rect primary = screens_.primaryInDesktopPixels();
    const auto pixel = [](double value) { return static_cast<int>(std::lround(value)); };
    bridge_.send({{QStringLiteral("c"), QStringLiteral("frame")},
                  {QStringLiteral("id"), id->second},
                  {QStringLiteral("x"), pixel(frame.x + primary.x)},
                  {QStringLiteral("y"), pixel(frame.y + primary.y)},
                  {QStringLiteral("w"), pixel(frame.width)},
                  {QStringLiteral("h"), pixel(frame.height)}});
    const std::uint64_t write = ++writes_;
    waiting_[id->second].push_back({write, std::move(done)});
    // A client that never takes the size (or has gone) must not hold the caller forever.
    QTimer::singleShot(writeDeadlineMs, &deadlines_,
                       [this, key = id->second, write] { finish(key, write); });
}

void KWinWindowControl::finish(const QString& id, std::uint64_t upTo) {
    const auto entry = waiting_.find(id);
    if (entry == waiting_.end()) {
        return;
    }
    std::vector<std::function<void()>> due;
    std::erase_if(entry->second, [&](Waiting& waiting) {
        if (waiting.write > upTo) {
            return false;
        }
        due.push_back(std::move(waiting.done));
        return true;
    });
    if (entry->second.empty()) {
        waiting_.erase(entry);
    }
    for (const auto& done : due) {
        if (done) {
            done();
        }
    }
}

} // namespace vantile
