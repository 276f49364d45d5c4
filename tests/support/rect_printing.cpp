#include "support/rect_printing.h"

#include <array>
#include <charconv>

namespace vantile::test {

namespace {

std::string shortest(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

} // namespace

std::string describe(const Rect& rect) {
    return "{x " + shortest(rect.x) + ", y " + shortest(rect.y) + ", w " + shortest(rect.width) +
           ", h " + shortest(rect.height) + "}";
}

} // namespace vantile::test

namespace vantile {

void PrintTo(const Rect& rect, std::ostream* out) {
    *out << test::describe(rect);
}

} // namespace vantile
