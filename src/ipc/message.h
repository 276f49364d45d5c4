#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantile {

// One request per connection: the client writes the message and closes its side. "url" carries a
// URL for the instance to handle, and is acknowledged with "ok" once it has been read whole (which
// says nothing of what then comes of it); "ping" is answered with "pong" once everything that
// reached the instance before it has been handled. "command" carries the words of a command for the
// instance, joined by NUL bytes, which no word given on a command line can contain; it is answered
// with the exit code on one line and then the text to print. Notes for standard error, when there
// are any, follow the exit code on its line as their length in bytes, and come before the text.
struct InstanceMessage {
    enum class Kind { url, ping, command };
    Kind kind;
    std::string payload;
};

inline constexpr std::size_t maxMessageSize = 64 * 1024;
inline constexpr std::string_view pongReply = "pong\n";
inline constexpr std::string_view ackReply = "ok\n";

std::string encodeMessage(const InstanceMessage& message);
std::optional<InstanceMessage> decodeMessage(std::string_view bytes);

std::string joinWords(const std::vector<std::string>& words);
std::vector<std::string> splitWords(std::string_view payload);

struct InstanceReply {
    int exitCode = 0;
    std::string text;
    // For standard error, whatever the exit code.
    std::string notes{};
};

std::string encodeReply(const InstanceReply& reply);
// None unless the first line is an exit code from 0 to 255.
std::optional<InstanceReply> decodeReply(std::string_view bytes);

} // namespace vantile
