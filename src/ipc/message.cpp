#include "ipc/message.h"

#include <charconv>

namespace vantile {

std::string encodeMessage(const InstanceMessage& message) {
    switch (message.kind) {
    case InstanceMessage::Kind::url:
        return "url\n" + message.payload;
    case InstanceMessage::Kind::ping:
        return "ping\n";
    case InstanceMessage::Kind::command:
        return "command\n" + message.payload;
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
    if (command == "command") {
        return InstanceMessage{InstanceMessage::Kind::command, std::string(payload)};
    }
    return std::nullopt;
}

std::string joinWords(const std::vector<std::string>& words) {
    std::string payload;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            payload += '\0';
        }
        payload += words[i];
    }
    return payload;
}

std::vector<std::string> splitWords(std::string_view payload) {
    std::vector<std::string> words;
    if (payload.empty()) {
        return words;
    }
    for (;;) {
        const auto end = payload.find('\0');
        words.emplace_back(payload.substr(0, end));
        if (end == std::string_view::npos) {
            return words;
        }
        payload.remove_prefix(end + 1);
    }
}

std::string encodeReply(const InstanceReply& reply) {
    const std::string head = std::to_string(reply.exitCode) +
                             (reply.notes.empty() ? "" : " " + std::to_string(reply.notes.size()));
    return head + "\n" + reply.notes + reply.text;
}

std::optional<InstanceReply> decodeReply(std::string_view bytes) {
    const auto newline = bytes.find('\n');
    if (newline == std::string_view::npos || newline == 0 || newline > 10) {
        return std::nullopt;
    }
    const char* const lineEnd = bytes.data() + newline;
    int code = 0;
    const auto [end, ec] = std::from_chars(bytes.data(), lineEnd, code);
    if (ec != std::errc() || end - bytes.data() > 3 || code < 0 || code > 255) {
        return std::nullopt;
    }
    std::size_t notes = 0;
    if (end != lineEnd) {
        const auto [notesEnd, notesEc] = std::from_chars(end + 1, lineEnd, notes);
        if (*end != ' ' || notesEc != std::errc() || notesEnd != lineEnd ||
            notes > bytes.size() - newline - 1) {
            return std::nullopt;
        }
    }
    const std::string_view rest = bytes.substr(newline + 1);
    return InstanceReply{code, std::string(rest.substr(notes)), std::string(rest.substr(0, notes))};
}

} // namespace vantile
