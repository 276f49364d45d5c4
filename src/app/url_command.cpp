#include "app/url_command.h"

#include "app/url.h"

namespace vantile {

namespace {
std::optional<WindowAction> snapAction(const ParsedUrl& url) {
    if (!url.queryItems || url.queryItems->empty()) {
        return std::nullopt;
    }
    for (const auto& item : *url.queryItems) {
        if (item.name == "action") {
            // Only the first "action" counts, even when it has no usable value.
            if (!item.value) {
                return std::nullopt;
            }
            return windowActionFromRawValue(*item.value);
        }
    }
    return std::nullopt;
}
} // namespace

std::optional<UrlCommand> parseUrlCommand(std::string_view text) {
    const auto url = parseUrl(text);
    if (!url || !url->host) {
        return std::nullopt;
    }
    if (*url->host == "show") {
        return UrlCommand{UrlCommand::Kind::show, std::nullopt};
    }
    if (*url->host == "snap") {
        if (const auto action = snapAction(*url)) {
            return UrlCommand{UrlCommand::Kind::snap, action};
        }
    }
    return std::nullopt;
}

} // namespace vantile
