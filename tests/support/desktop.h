#pragma once

// An X server with monitors and a window manager, as most integration tests need one.

#include <memory>
#include <vector>

#include "support/monitors.h"
#include "support/window_manager.h"
#include "support/x_server.h"

namespace vantile::test {

struct Desktop {
    // Declared in this order so that the window manager stops before its server.
    std::unique_ptr<XServer> server;
    std::unique_ptr<WindowManager> windowManager;

    // Starts the server, sets the monitors (when any are given) and then starts the window
    // manager, so that it lays out its panels on those monitors.
    static Desktop start(WmKind kind, int width, int height,
                         const std::vector<WantedMonitor>& monitors = {});
};

} // namespace vantile::test
