#pragma once

#include <optional>
#include <string_view>

#include "core/windows/window_action.h"

namespace vantile {

// What a URL sent by another program asks for: "show" brings the program to the front, "snap"
// performs a window action. Anything else is nothing.
struct UrlCommand {
    enum class Kind { show, snap };
    Kind kind;
    std::optional<WindowAction> action; // set for snap
};

std::optional<UrlCommand> parseUrlCommand(std::string_view url);

} // namespace vantile
