#pragma once

// The sizes a test client reports as it is resized, each with the moment on the monotonic clock it
// learned it, read from the pipe its standard output goes to as the lines come.

#include <chrono>
#include <optional>
#include <string>

#include "base/unique_fd.h"

namespace vantile::bench {

struct ReportedSize {
    int width = 0;
    int height = 0;
    long long micros = 0; // CLOCK_MONOTONIC
};

// Now on the clock the client reports in, in microseconds.
long long monotonicMicros();

class ResizeReports {
  public:
    explicit ResizeReports(UniqueFd readEnd) : fd_(std::move(readEnd)) {}

    // The next size reported within the deadline; none when none comes.
    std::optional<ReportedSize> next(std::chrono::milliseconds deadline);
    // The last of the sizes reported so far and not yet read; none when there are none.
    std::optional<ReportedSize> latest();
    // When the client reported the size at or after the moment (microseconds), read within the
    // deadline; none when it did not.
    std::optional<long long> arrival(const ReportedSize& size, long long since,
                                     std::chrono::milliseconds deadline);

  private:
    std::optional<ReportedSize> takeLine();
    // Whether more of the client's output came before the moment.
    bool readMore(std::chrono::steady_clock::time_point end);

    UniqueFd fd_;
    std::string pending_;
};

} // namespace vantile::bench
