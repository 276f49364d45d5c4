#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantile {

// Identity of regions and presets. Written as canonical upper-case text; read in either case.
class Uuid {
  public:
    Uuid() = default;
    static Uuid random();
    // The canonical 36-character 8-4-4-4-12 form, in either case; anything else is none.
    static std::optional<Uuid> parse(std::string_view text);
    // For fixed ids written in the source.
    static Uuid fromText(std::string_view text);

    std::string text() const;

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

  private:
    std::array<std::uint8_t, 16> bytes_{};
};

} // namespace vantile
