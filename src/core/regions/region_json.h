#pragma once

// The JSON form of regions, trees and presets. Readers validate everything before building a
// value: a missing member, a value of the wrong type, an id that is not a UUID or an unknown
// split direction fails the whole value.

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "core/regions/region_preset.h"

namespace vantile {

// Why a reading failed: where in the document, and what was wrong there.
struct JsonReadError {
    std::string path;
    std::string description;
};

template <class T> struct JsonRead {
    std::optional<T> value;
    JsonReadError error;
};

// Trees nested deeper than this are refused rather than risking the stack.
inline constexpr int maxTreeDepth = 64;

nlohmann::json toJson(const FractionalRect& rect);
nlohmann::json toJson(const Region& region);
nlohmann::json toJson(const BSPNode& node);
nlohmann::json toJson(const RegionPreset& preset);

JsonRead<FractionalRect> fractionalRectFromJson(const nlohmann::json& json);
JsonRead<Region> regionFromJson(const nlohmann::json& json);
JsonRead<BSPNode> bspNodeFromJson(const nlohmann::json& json);
JsonRead<RegionPreset> presetFromJson(const nlohmann::json& json);

// Whole documents: a preset file, and the per-screen choice of presets.
JsonRead<RegionPreset> readPresetDocument(std::string_view text);
JsonRead<std::map<std::string, std::string>> readActiveConfigDocument(std::string_view text);
std::string writePresetDocument(const RegionPreset& preset);
std::string writeActiveConfigDocument(const std::map<std::string, std::string>& presetPerScreen);

} // namespace vantile
