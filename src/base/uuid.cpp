#include "base/uuid.h"

#include <uuid/uuid.h>

#include <cctype>
#include <stdexcept>

namespace vantile {

Uuid Uuid::random() {
    Uuid id;
    uuid_generate_random(id.bytes_.data());
    return id;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) {
            return std::nullopt;
        }
    }
    const std::string terminated(text);
    Uuid id;
    if (uuid_parse(terminated.c_str(), id.bytes_.data()) != 0) {
        return std::nullopt;
    }
    return id;
}

Uuid Uuid::fromText(std::string_view text) {
    const auto id = parse(text);
    if (!id) {
        throw std::invalid_argument("not a UUID: " + std::string(text));
    }
    return *id;
}

std::string Uuid::text() const {
    char out[37];
    uuid_unparse_upper(bytes_.data(), out);
    return out;
}

} // namespace vantile
