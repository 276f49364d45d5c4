#include "core/regions/region_preset.h"

#include <chrono>

namespace vantile {

Date currentDate() {
    // 2001-01-01T00:00:00Z in seconds since the Unix epoch.
    constexpr double referenceDate = 978307200.0;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count() - referenceDate;
}

} // namespace vantile
