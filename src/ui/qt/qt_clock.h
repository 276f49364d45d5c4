#pragma once

#include "platform/platform.h"

namespace vantile {

// Sleeps block the main thread; delayed tasks run on the Qt event loop.
class QtClock : public Clock {
  public:
    void sleepMicroseconds(std::uint32_t micros) override;
    void runAfter(double seconds, std::function<void()> task) override;
};

} // namespace vantile
