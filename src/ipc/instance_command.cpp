#include "ipc/instance_command.h"

#include <array>
#include <charconv>
#include <utility>

namespace vantile {

namespace {

constexpr std::array<std::pair<std::string_view, InstanceCommand::Kind>, 7> commandNames{{
    {"presets", InstanceCommand::Kind::presets},
    {"use", InstanceCommand::Kind::use},
    {"clear", InstanceCommand::Kind::clear},
    {"edit", InstanceCommand::Kind::edit},
    {"quit", InstanceCommand::Kind::quit},
    {"shortcuts", InstanceCommand::Kind::shortcuts},
    {"reload", InstanceCommand::Kind::reload},
}};

std::optional<InstanceCommand::Kind> kindNamed(std::string_view word) {
    for (const auto& [name, kind] : commandNames) {
        if (name == word) {
            return kind;
        }
    }
    return std::nullopt;
}

// Digits only, from 1 up; nine digits are plenty for screens and cannot overflow.
std::optional<std::size_t> screenNumber(std::string_view text) {
    std::size_t value = 0;
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<InstanceCommand> rejected(std::string* error, std::string text) {
    *error = std::move(text);
    return std::nullopt;
}

} // namespace

bool isInstanceCommand(std::string_view word) {
    return kindNamed(word).has_value();
}

std::optional<InstanceCommand> parseInstanceCommand(const std::vector<std::string>& words,
                                                    std::string* error) {
    if (words.empty()) {
        return rejected(error, "no command given");
    }
    const auto kind = kindNamed(words[0]);
    if (!kind) {
        return rejected(error, "unknown command '" + words[0] + "'");
    }
    const std::string& name = words[0];
    const bool takesPreset = *kind == InstanceCommand::Kind::use;
    const bool takesScreen = takesPreset || *kind == InstanceCommand::Kind::clear;
    InstanceCommand command{.kind = *kind};
    bool presetGiven = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (*kind == InstanceCommand::Kind::shortcuts && word == "--edit" && !command.edit) {
            command.edit = true;
            continue;
        }
        if (!takesScreen) {
            return rejected(error, "'" + name + "' takes no arguments");
        }
        if (word == "--screen") {
            if (command.screen) {
                return rejected(error, "--screen is given twice");
            }
            const auto number = i + 1 < words.size() ? screenNumber(words[i + 1]) : std::nullopt;
            if (!number) {
                return rejected(error, "--screen needs a screen number (1, 2, ...)");
            }
            command.screen = number;
            ++i;
        } else if (word.rfind("--", 0) == 0) {
            return rejected(error, "unknown option '" + word + "' for '" + name + "'");
        } else if (takesPreset && !presetGiven) {
            command.preset = word;
            presetGiven = true;
        } else {
            return rejected(error, "too many arguments for '" + name + "'");
        }
    }
    if (takesPreset && !presetGiven) {
        return rejected(error, "'use' needs the name or id of a preset; 'vantile presets' "
                               "lists them");
    }
    return command;
}

} // namespace vantile
