#include "ui/qt/queued_screen_changes.h"

#include <QMetaObject>

namespace vantile {

QueuedScreenChanges::QueuedScreenChanges(ScreenChanges& source) : source_(source) {
    source_.setHandler([this] {
        if (!queued_) {
            queued_ = true;
            // Posted to this object: a pending delivery dies with it.
            QMetaObject::invokeMethod(
                this, [this] { deliver(); }, Qt::QueuedConnection);
        }
    });
}

QueuedScreenChanges::~QueuedScreenChanges() {
    source_.setHandler(nullptr);
}

void QueuedScreenChanges::setHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void QueuedScreenChanges::deliver() {
    queued_ = false;
    // A copy, in case the handler replaces itself.
    if (const auto handler = handler_) {
        handler();
    }
}

} // namespace vantile
