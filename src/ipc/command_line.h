#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantile {

// What the user asked for on the command line.
struct CommandLine {
    enum class Kind { run, help, version, ping, command, invalid };
    Kind kind = Kind::run;
    std::optional<std::string> url;        // to hand to the instance
    std::vector<std::string> commandWords; // for command: checked, for the running instance
    bool strictXErrors = false;
    // The desktop to control when it is not the session's own: "x11" or "kwin".
    std::optional<std::string> desktop;
    std::string error; // for invalid: what is wrong, in words
};

CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

} // namespace vantile
