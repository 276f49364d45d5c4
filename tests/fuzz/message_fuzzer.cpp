// Feeds arbitrary bytes to the decoders of the instance socket: the instance decodes whatever any
// local program of its user sends it, and the command decodes whatever answers it. What they
// accept must encode back to the very same bytes, or to an answer that decodes the same, so that
// no message is read one way here and meant another way there.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ipc/message.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto message = vantile::decodeMessage(bytes)) {
        require(vantile::encodeMessage(*message) == bytes);
        if (message->kind == vantile::InstanceMessage::Kind::command) {
            require(vantile::joinWords(vantile::splitWords(message->payload)) == message->payload);
        }
    }
    if (const auto reply = vantile::decodeReply(bytes)) {
        require(reply->exitCode >= 0 && reply->exitCode <= 255);
        const auto again = vantile::decodeReply(vantile::encodeReply(*reply));
        require(again && again->exitCode == reply->exitCode && again->text == reply->text);
    }
    return 0;
}
