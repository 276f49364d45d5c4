#include "support/x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <xcb/randr.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/unique_fd.h"
#include "support/harness_error.h"
#include "support/wait.h"

namespace vantile::test {

namespace {

constexpr auto kStartDeadline = 10000ms;
constexpr auto kXrandrDeadline = 5000ms;
constexpr auto kMonitorDeadline = 5000ms;
// The descriptor on which Xvfb writes its display number when it accepts connections.
constexpr int kDisplayDescriptor = 3;

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

// Reads the line Xvfb writes once it is ready; empty when it ends or the deadline passes first.
std::string readDisplayNumber(int fd, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd pending{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&pending, 1, static_cast<int>(left.count())) == 0) {
            return {};
        }
        char buffer[32];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return {};
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
}

void requireRandr15(xcb_connection_t* connection, const std::string& display) {
    XcbReply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        connection, xcb_randr_query_version(connection, 1, 6), nullptr));
    if (!version || version->major_version < 1 ||
        (version->major_version == 1 && version->minor_version < 5)) {
        throw HarnessError("the X server on " + display + " lacks RandR 1.5 monitors");
    }
}

} // namespace

std::unique_ptr<XServer> XServer::start(int width, int height) {
    auto logDir = std::make_unique<TempDir>("vantile-xvfb");
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw HarnessError(std::string("cannot make a pipe for Xvfb: ") + std::strerror(errno));
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    ProcessOptions options;
    options.argv = {
        "Xvfb",       "-displayfd", std::to_string(kDisplayDescriptor),
        "-noreset",   "-nolisten",  "tcp",
        "-screen",    "0",          std::to_string(width) + "x" + std::to_string(height) + "x24",
        "+extension", "RANDR"};
    options.passedDescriptors = {{writeEnd.get(), kDisplayDescriptor}};
    // It starts nothing that outlives it, and in the test's own process group it goes when the
    // test is interrupted.
    options.ownProcessGroup = false;
    options.stdoutFile = logDir->path() / "xvfb.log";
    options.stderrFile = options.stdoutFile;
    Process process(std::move(options));
    writeEnd.reset();
    const std::string number = readDisplayNumber(readEnd.get(), kStartDeadline);
    if (number.empty()) {
        throw HarnessError("Xvfb did not report a display within " +
                           std::to_string(kStartDeadline.count()) + " ms: " + process.report());
    }
    return std::unique_ptr<XServer>(
        new XServer(std::move(process), std::move(logDir), ":" + number));
}

XServer::XServer(Process process, std::unique_ptr<TempDir> logDir, std::string display)
    : logDir_(std::move(logDir)), process_(std::move(process)), display_(std::move(display)),
      connection_(connectToDisplay(display_)) {
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data;
    requireRandr15(connection_.get(), display_);
}

XServer::~XServer() {
    connection_.reset();
    process_.terminate();
}

std::vector<MonitorInfo> XServer::monitors() const {
    return queryMonitors(connection_.get(), root());
}

std::string XServer::outputName() const {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, root()), nullptr));
    if (!resources || xcb_randr_get_screen_resources_current_outputs_length(resources.get()) < 1) {
        throw HarnessError("the X server on " + display_ + " reports no RandR output");
    }
    const xcb_randr_output_t output =
        xcb_randr_get_screen_resources_current_outputs(resources.get())[0];
    XcbReply<xcb_randr_get_output_info_reply_t> info(xcb_randr_get_output_info_reply(
        c, xcb_randr_get_output_info(c, output, resources->config_timestamp), nullptr));
    if (!info) {
        throw HarnessError("the X server on " + display_ + " does not describe its output");
    }
    return std::string(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                       static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.get())));
}

void XServer::runXrandr(const std::vector<std::string>& arguments) {
    ProcessOptions options;
    options.argv = {"xrandr"};
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.environment = {{"DISPLAY", display_}};
    options.ownProcessGroup = false;
    options.stdoutFile = logDir_->path() / "xrandr.log";
    options.stderrFile = options.stdoutFile;
    Process xrandr(std::move(options));
    const auto code = xrandr.waitExit(kXrandrDeadline);
    if (code != 0) {
        throw HarnessError("xrandr " + joined(arguments) + " failed: " + xrandr.report());
    }
}

void XServer::setMonitors(const std::vector<WantedMonitor>& wanted) {
    runXrandr(xrandrMonitorArguments(monitors(), wanted, outputName()));
    std::vector<MonitorInfo> seen;
    const bool matched = waitUntil(
        [&] {
            seen = monitors();
            return monitorsMatch(seen, wanted);
        },
        kMonitorDeadline);
    if (!matched) {
        throw HarnessError("RandR did not report the monitors " + describe(wanted) + " within " +
                           std::to_string(kMonitorDeadline.count()) + " ms; it reports " +
                           describe(seen));
    }
}

void XServer::clearMonitors() {
    const auto arguments = xrandrClearArguments(monitors());
    if (!arguments.empty()) {
        runXrandr(arguments);
    }
    std::vector<MonitorInfo> seen;
    const bool cleared = waitUntil(
        [&] {
            seen = monitors();
            return seen.size() == 1 && seen.front().automatic;
        },
        kMonitorDeadline);
    if (!cleared) {
        throw HarnessError("RandR did not return to its automatic monitor within " +
                           std::to_string(kMonitorDeadline.count()) + " ms; it reports " +
                           describe(seen));
    }
}

} // namespace vantile::test
