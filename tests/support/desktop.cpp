#include "support/desktop.h"

namespace vantile::test {

Desktop Desktop::start(WmKind kind, int width, int height,
                       const std::vector<WantedMonitor>& monitors) {
    Desktop desktop;
    desktop.server = XServer::start(width, height);
    if (!monitors.empty()) {
        desktop.server->setMonitors(monitors);
    }
    desktop.windowManager = WindowManager::start(*desktop.server, kind);
    return desktop;
}

} // namespace vantile::test
