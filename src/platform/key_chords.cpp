#include "platform/key_chords.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

namespace vantile {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint64_t>, 5> kModifierNames{{
    {"Ctrl", modifier::control},
    {"Alt", modifier::option},
    {"Shift", modifier::shift},
    {"Super", modifier::command},
    {"Meta", modifier::command},
}};

// Key codes by position on a US keyboard.
constexpr std::array<std::pair<std::string_view, std::uint16_t>, 61> kKeyNames{{
    {"A", 0},      {"S", 1},     {"D", 2},          {"F", 3},       {"H", 4},       {"G", 5},
    {"Z", 6},      {"X", 7},     {"C", 8},          {"V", 9},       {"B", 11},      {"Q", 12},
    {"W", 13},     {"E", 14},    {"R", 15},         {"Y", 16},      {"T", 17},      {"1", 18},
    {"2", 19},     {"3", 20},    {"4", 21},         {"6", 22},      {"5", 23},      {"=", 24},
    {"9", 25},     {"7", 26},    {"-", 27},         {"8", 28},      {"0", 29},      {"]", 30},
    {"O", 31},     {"U", 32},    {"[", 33},         {"I", 34},      {"P", 35},      {"Return", 36},
    {"L", 37},     {"J", 38},    {"'", 39},         {"K", 40},      {";", 41},      {"\\", 42},
    {",", 43},     {"/", 44},    {"N", 45},         {"M", 46},      {".", 47},      {"Tab", 48},
    {"Space", 49}, {"`", 50},    {"Backspace", 51}, {"Escape", 53}, {"Home", 115},  {"PgUp", 116},
    {"Del", 117},  {"End", 119}, {"PgDown", 121},   {"Left", 123},  {"Right", 124}, {"Down", 125},
    {"Up", 126},
}};

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b,
                              [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

std::vector<std::string_view> split(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('+', start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

} // namespace

std::optional<KeyChord> parseChord(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const auto parts = split(text);
    KeyChord chord;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto found = std::ranges::find_if(
            kModifierNames, [&](const auto& entry) { return sameName(entry.first, parts[i]); });
        if (found == kModifierNames.end() || (chord.modifiers & found->second)) {
            return std::nullopt;
        }
        chord.modifiers |= found->second;
    }
    const auto key = std::ranges::find_if(
        kKeyNames, [&](const auto& entry) { return sameName(entry.first, parts.back()); });
    if (key == kKeyNames.end()) {
        return std::nullopt;
    }
    chord.keyCode = key->second;
    return chord;
}

std::string formatChord(const KeyChord& chord) {
    std::string text;
    for (const auto& [name, flag] : kModifierNames) {
        if ((chord.modifiers & flag) && name != "Meta") {
            text += std::string(name) + "+";
        }
    }
    const auto key = std::ranges::find(kKeyNames, chord.keyCode,
                                       &std::pair<std::string_view, std::uint16_t>::second);
    return text + (key == kKeyNames.end() ? "?" : std::string(key->first));
}

} // namespace vantile
