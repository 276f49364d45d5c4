#pragma once

// A private Xvfb for one test fixture, on a display number the server picks itself, with a
// connection of the test's own for its checks.

#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <vector>

#include "support/monitors.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/xcb_handles.h"

namespace vantile::test {

class XServer {
  public:
    // Starts Xvfb with one screen of the size (24-bit, RandR on) and waits until it accepts
    // connections; throws HarnessError when it does not within a deadline.
    static std::unique_ptr<XServer> start(int width, int height);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N"
    const std::string& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_.get(); }
    xcb_screen_t* screen() const { return screen_; }
    xcb_window_t root() const { return screen_->root; }
    int width() const { return screen_->width_in_pixels; }
    int height() const { return screen_->height_in_pixels; }
    bool running() const { return process_.running(); }
    // How the server is doing, and the end of its log, for failure messages.
    std::string report() const { return process_.report(); }

    // Replaces the RandR monitors with exactly these (the first primary) and waits until the
    // server reports them; throws HarnessError when that fails.
    void setMonitors(const std::vector<WantedMonitor>& monitors);
    // Deletes the monitors set before, so that the automatic monitor of the whole screen is back.
    void clearMonitors();
    std::vector<MonitorInfo> monitors() const;

  private:
    XServer(Process process, std::unique_ptr<TempDir> logDir, std::string display);
    void runXrandr(const std::vector<std::string>& arguments);
    std::string outputName() const;

    std::unique_ptr<TempDir> logDir_;
    Process process_;
    std::string display_;
    XcbConnection connection_;
    xcb_screen_t* screen_ = nullptr;
};

} // namespace vantile::test
