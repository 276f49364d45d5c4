#pragma once

#include <QObject>

#include "platform/platform.h"

namespace vantile {

// Hands screen changes to their handler from the event loop, never from inside whatever drained
// the display connection (a window command in the middle of its moves, for instance), and folds
// changes noticed before the handler runs into one call.
class QueuedScreenChanges : public QObject, public ScreenChanges {
  public:
    explicit QueuedScreenChanges(ScreenChanges& source);
    ~QueuedScreenChanges() override;

    void setHandler(std::function<void()> handler) override;

  private:
    void deliver();

    ScreenChanges& source_;
    std::function<void()> handler_;
    bool queued_ = false;
};

} // namespace vantile
