#include "app/ui/queued_screen_changes.h"

#include <QTimer>

namespace vantile {

QueuedScreenChanges::QueuedScreenChanges(ScreenChanges& source) : source_(source) {
    source_.setHandler([this] {
        if (!queued_) {
            queued_ = true;
            // Bound to this object: a pending delivery dies with it.
            QTimer::singleShot(0, this, [this] { deliver(); });
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
    if (handler_) {
        handler_();
    }
}

} // namespace vantile
