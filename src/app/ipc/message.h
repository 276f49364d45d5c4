#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantile {

// One request per connection: the client writes the message and closes its side. "url" carries a
// URL for the instance to handle; "ping" is answered with "pong" once everything that reached
// the instance before it has been handled.
struct InstanceMessage {
    enum class Kind { url, ping };
    Kind kind;
    std::string payload;
};

inline constexpr std::size_t maxMessageSize = 64 * 1024;
inline constexpr std::string_view pongReply = "pong\n";

std::string encodeMessage(const InstanceMessage& message);
std::optional<InstanceMessage> decodeMessage(std::string_view bytes);

} // namespace vantile
