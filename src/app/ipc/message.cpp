#include "app/ipc/message.h"

namespace vantile {

std::string encodeMessage(const InstanceMessage& message) {
    switch (message.kind) {
    case InstanceMessage::Kind::url:
        return "url\n" + message.payload;
    case InstanceMessage::Kind::ping:
        return "ping\n";
    }
    return {};
}

std::optional<InstanceMessage> decodeMessage(std::string_view bytes) {
    const auto newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
        return std::nullopt;
    }
    const auto command = bytes.substr(0, newline);
    const auto payload = bytes.substr(newline + 1);
    if (command == "url") {
        return InstanceMessage{InstanceMessage::Kind::url, std::string(payload)};
    }
    if (command == "ping" && payload.empty()) {
        return InstanceMessage{InstanceMessage::Kind::ping, {}};
    }
    return std::nullopt;
}

} // namespace vantile
