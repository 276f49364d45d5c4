#include "backends/kwin/kwin_drags.h"

#include <QJsonObject>
#include <vector>

namespace vantile {

KWinDrags::KWinDrags(KWinBridge& bridge, const KWinScreens& screens) : screens_(screens) {
    bridge.on(QStringLiteral("drag"), [this](const QJsonObject& event) {
        report(event.value(QStringLiteral("phase")).toString());
    });
}

std::optional<MonitorToken> KWinDrags::watchDrags(DragHandlers handlers) {
    watches_[nextToken_] = std::move(handlers);
    return nextToken_++;
}

// A finish without a start (a resize) is no drag.
void KWinDrags::report(const QString& phase) {
    const Point pointer = screens_.mouseLocation();
    const bool start = phase == QStringLiteral("start");
    const bool finish = phase == QStringLiteral("finish");
    if ((finish || phase == QStringLiteral("step")) && !dragging_) {
        return;
    }
    dragging_ = !finish;
    std::vector<MonitorToken> tokens;
    for (const auto& entry : watches_) {
        tokens.push_back(entry.first);
    }
    // A handler may stop any watch, its own among them.
    for (const MonitorToken token : tokens) {
        const auto watch = watches_.find(token);
        if (watch == watches_.end()) {
            continue;
        }
        const auto& handler = start    ? watch->second.started
                              : finish ? watch->second.finished
                                       : watch->second.moved;
        if (handler) {
            const auto call = handler;
            call(pointer);
        }
    }
}

} // namespace vantile
