#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantile {

struct UrlQueryItem {
    std::string name;
    std::optional<std::string> value; // none when the item has no '='
};

// The parts of a URL that commands look at. Host, names and values are percent-decoded.
struct ParsedUrl {
    std::optional<std::string> host;
    std::optional<std::vector<UrlQueryItem>> queryItems; // none when there is no query
};

// Parses an absolute or network-path URL strictly: text with spaces, control characters,
// characters outside ASCII or broken percent escapes is not a URL.
std::optional<ParsedUrl> parseUrl(std::string_view text);

} // namespace vantile
