#include "resize_reports.h"

#include <poll.h>

#include <algorithm>
#include <ctime>
#include <sstream>

namespace vantile::bench {

using Clock = std::chrono::steady_clock;

long long monotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

// The first whole line that reports a size; other lines ("ready") are dropped.
std::optional<ReportedSize> ResizeReports::takeLine() {
    for (auto end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
        std::istringstream line(pending_.substr(0, end));
        pending_.erase(0, end + 1);
        std::string word;
        ReportedSize size;
        if (line >> word >> size.width >> size.height >> size.micros && word == "resized") {
            return size;
        }
    }
    return std::nullopt;
}

bool ResizeReports::readMore(Clock::time_point end) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
    pollfd readable{fd_.get(), POLLIN, 0};
    char chunk[512];
    ssize_t count = 0;
    if (::poll(&readable, 1, int(std::max<long long>(left.count(), 0))) <= 0 ||
        (count = ::read(fd_.get(), chunk, sizeof chunk)) <= 0) {
        return false;
    }
    pending_.append(chunk, std::size_t(count));
    return true;
}

std::optional<ReportedSize> ResizeReports::next(std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    auto size = takeLine();
    while (!size && readMore(end)) {
        size = takeLine();
    }
    return size;
}

std::optional<ReportedSize> ResizeReports::latest() {
    std::optional<ReportedSize> last;
    while (const auto size = next(std::chrono::milliseconds(0))) {
        last = size;
    }
    return last;
}

std::optional<long long> ResizeReports::arrival(const ReportedSize& size, long long since,
                                                std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (const auto report =
               next(std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()))) {
        if (report->width == size.width && report->height == size.height &&
            report->micros >= since) {
            return report->micros;
        }
    }
    return std::nullopt;
}

} // namespace vantile::bench
