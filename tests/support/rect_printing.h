#pragma once

// Readable rects in failure messages.

#include <ostream>
#include <string>

#include "base/geometry.h"

namespace vantile {

// Lets GoogleTest print rects in its messages ("{x 10, y 20, w 300, h 200}").
void PrintTo(const Rect& rect, std::ostream* out);

} // namespace vantile

namespace vantile::test {

// "{x 10, y 20, w 300, h 200}", each number as short as reads back exactly.
std::string describe(const Rect& rect);

} // namespace vantile::test
