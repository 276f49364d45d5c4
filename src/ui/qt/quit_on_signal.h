#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "base/unique_fd.h"

namespace vantile {

// Quits the event loop on SIGTERM, SIGINT or SIGHUP so that the instance socket is removed.
class QuitOnSignal : public QObject {
  public:
    QuitOnSignal();
    ~QuitOnSignal() override;

  private:
    UniqueFd read_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vantile
