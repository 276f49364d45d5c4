#pragma once

#include <optional>
#include <string>

namespace vantile {

// The page that explains what the program needs from the desktop: the installed copy, or the one
// in the source tree when running from a build folder. None when neither exists.
std::optional<std::string> helpPagePath();

// Opens the page in the user's browser with xdg-open; failures are silent.
void openHelpPage();

} // namespace vantile
