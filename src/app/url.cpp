#include "app/url.h"

#include <cctype>

namespace vantile {

namespace {

bool allowedCharacter(unsigned char c) {
    if (c <= 0x20 || c >= 0x7f) {
        return false;
    }
    constexpr std::string_view forbidden = "\"<>\\^`{|}";
    return forbidden.find(static_cast<char>(c)) == std::string_view::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size()) {
            return std::nullopt;
        }
        const int hi = hexValue(s[i + 1]);
        const int lo = hexValue(s[i + 2]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// Length of a leading "scheme:" (without the colon), or 0 when the text has none.
std::size_t schemeLength(std::string_view text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return 0;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            return i;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return 0;
        }
    }
    return 0;
}

std::optional<std::string> hostOfAuthority(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (const auto colon = authority.rfind(':');
        colon != std::string_view::npos && authority.find(']') == std::string_view::npos) {
        authority = authority.substr(0, colon);
    }
    return percentDecode(authority);
}

std::optional<std::vector<UrlQueryItem>> parseQuery(std::string_view query) {
    std::vector<UrlQueryItem> items;
    if (query.empty()) {
        return items;
    }
    std::size_t start = 0;
    while (start <= query.size()) {
        const auto end = std::min(query.find('&', start), query.size());
        const auto item = query.substr(start, end - start);
        const auto eq = item.find('=');
        auto name = percentDecode(item.substr(0, eq));
        if (!name) {
            return std::nullopt;
        }
        std::optional<std::string> value;
        if (eq != std::string_view::npos) {
            value = percentDecode(item.substr(eq + 1));
            if (!value) {
                return std::nullopt;
            }
        }
        items.push_back({std::move(*name), std::move(value)});
        start = end + 1;
    }
    return items;
}

} // namespace

std::optional<ParsedUrl> parseUrl(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    for (unsigned char c : text) {
        if (!allowedCharacter(c)) {
            return std::nullopt;
        }
    }
    ParsedUrl url;
    if (const auto hash = text.find('#'); hash != std::string_view::npos) {
        text = text.substr(0, hash);
    }
    std::string_view query;
    bool hasQuery = false;
    if (const auto q = text.find('?'); q != std::string_view::npos) {
        query = text.substr(q + 1);
        text = text.substr(0, q);
        hasQuery = true;
    }
    if (const auto scheme = schemeLength(text)) {
        text.remove_prefix(scheme + 1);
    }
    if (text.substr(0, 2) == "//") {
        text.remove_prefix(2);
        const auto authority = text.substr(0, text.find('/'));
        url.host = hostOfAuthority(authority);
        if (!url.host) {
            return std::nullopt;
        }
    }
    if (hasQuery) {
        url.queryItems = parseQuery(query);
        if (!url.queryItems) {
            return std::nullopt;
        }
    }
    return url;
}

} // namespace vantile
