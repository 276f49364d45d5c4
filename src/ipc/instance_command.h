#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantile {

// The tray menu's actions as words, for `vantile` to send to the running instance: list the
// screens and presets, choose a preset for a screen, clear a screen's layout, open the region
// editor, list the shortcuts or open their window, read the shortcuts file again, quit. Both sides
// read the words with the same parser, so a peer's words are checked exactly as the command line
// checks them.
struct InstanceCommand {
    enum class Kind { presets, use, clear, edit, quit, shortcuts, reload };
    Kind kind = Kind::presets;
    std::string preset{};                // for use: a preset's name or id
    std::optional<std::size_t> screen{}; // numbered from 1; none means the one under the pointer
    bool edit = false;                   // shortcuts --edit: open the Shortcuts window
};

// Whether a command line whose first word is this one is an instance command.
bool isInstanceCommand(std::string_view word);

// None for words that do not form a command, with `error` saying why (without a prefix).
std::optional<InstanceCommand> parseInstanceCommand(const std::vector<std::string>& words,
                                                    std::string* error);

// Exit codes: done; vantile cannot do it now (no instance, desktop not controllable); the request
// itself is wrong (bad words, unknown preset or screen).
inline constexpr int commandSucceeded = 0;
inline constexpr int commandUnavailable = 1;
inline constexpr int commandRejected = 2;

// What the instance answers: the exit code, the text to print (errors carry their "vantile: "
// prefix), and what to do once the answer has been sent.
struct CommandReply {
    int exitCode = commandSucceeded;
    std::string text{};
    std::function<void()> afterReply{};
    // Said on standard error beside a successful answer.
    std::string notes{};
};

} // namespace vantile
