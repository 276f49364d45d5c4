#include "core/regions/region_json.h"

#include <cmath>

namespace vantile {

using nlohmann::json;

namespace {

// Thrown inside the readers only; the public functions turn it into a JsonReadError.
struct ReadFailure {
    JsonReadError error;
};

class Reader {
  public:
    [[noreturn]] void fail(const std::string& description) const {
        throw ReadFailure{{"$" + path_, description}};
    }

    const json& member(const json& object, const char* name) {
        if (!object.is_object()) {
            fail("expected an object");
        }
        const auto it = object.find(name);
        if (it == object.end()) {
            fail(std::string("missing member \"") + name + "\"");
        }
        return *it;
    }

    // Runs a read one member deeper, so that a failure names where it happened. On failure the
    // path is left as it stands: the exception carries a copy.
    template <class F> auto at(std::string_view name, F&& read) {
        const std::size_t length = path_.size();
        path_ += '.';
        path_ += name;
        auto result = read();
        path_.resize(length);
        return result;
    }

    double number(const json& object, const char* name) {
        return at(name, [&] {
            const json& value = member(object, name);
            if (!value.is_number()) {
                fail("expected a number");
            }
            const double number = value.get<double>();
            if (!std::isfinite(number)) {
                fail("expected a finite number");
            }
            return number;
        });
    }

    std::string string(const json& object, const char* name) {
        return at(name, [&] {
            const json& value = member(object, name);
            if (!value.is_string()) {
                fail("expected a string");
            }
            return value.get<std::string>();
        });
    }

    Uuid uuid(const json& object, const char* name) {
        const std::string text = string(object, name);
        const auto id = Uuid::parse(text);
        if (!id) {
            at(name, [&]() -> int { fail("not a UUID: \"" + text + "\""); });
        }
        return *id;
    }

    // Within the unit square, allowing the rounding a computed tree leaves at its far edges; a
    // rect out there would place windows far off their screen.
    FractionalRect rect(const json& object) {
        const FractionalRect r{number(object, "x"), number(object, "y"), number(object, "width"),
                               number(object, "height")};
        constexpr double slack = 1e-9;
        const bool inside = r.x >= -slack && r.y >= -slack && r.width > 0 && r.height > 0 &&
                            r.x + r.width <= 1 + slack && r.y + r.height <= 1 + slack;
        if (!inside) {
            fail("the rect does not lie within the unit square");
        }
        return r;
    }

    Region region(const json& object) {
        Region region{uuid(object, "id"), at("rect", [&] { return rect(member(object, "rect")); }),
                      std::nullopt};
        if (!object.is_object()) {
            fail("expected an object");
        }
        if (const auto it = object.find("label"); it != object.end() && !it->is_null()) {
            region.label = string(object, "label");
        }
        return region;
    }

    BSPNode node(const json& object, int depth);
    RegionPreset preset(const json& object);

  private:
    std::string path_;
};

BSPNode Reader::node(const json& object, int depth) {
    if (!object.is_object()) {
        fail("expected an object");
    }
    if (depth > maxTreeDepth) {
        fail("the tree is nested too deeply");
    }
    const bool hasLeaf = object.contains("leaf");
    const bool hasSplit = object.contains("split");
    if (hasLeaf == hasSplit) {
        fail("Invalid number of keys found, expected one.");
    }
    if (hasLeaf) {
        return at("leaf", [&] {
            const json& leaf = member(object, "leaf");
            return BSPNode::leaf(at("_0", [&] { return region(member(leaf, "_0")); }));
        });
    }
    return at("split", [&] {
        const json& split = member(object, "split");
        const std::string raw = string(split, "direction");
        const auto direction = splitDirectionFromRawValue(raw);
        if (!direction) {
            at("direction", [&]() -> int { fail("unknown direction \"" + raw + "\""); });
        }
        const double fraction = number(split, "fraction");
        if (!(fraction > 0 && fraction < 1)) {
            at("fraction", [&]() -> int { fail("a fraction lies strictly between 0 and 1"); });
        }
        BSPNode first = at("first", [&] { return node(member(split, "first"), depth + 1); });
        BSPNode second = at("second", [&] { return node(member(split, "second"), depth + 1); });
        return BSPNode::split(*direction, fraction, std::move(first), std::move(second));
    });
}

RegionPreset Reader::preset(const json& object) {
    RegionPreset preset;
    preset.id = uuid(object, "id");
    preset.name = string(object, "name");
    at("layouts", [&] {
        const json& layouts = member(object, "layouts");
        if (!layouts.is_object()) {
            fail("expected an object");
        }
        for (const auto& item : layouts.items()) {
            const std::string& key = item.key();
            const json& layout = item.value();
            at(key, [&] {
                preset.layouts.emplace(
                    key, RegionLayout{at("tree", [&] { return node(member(layout, "tree"), 1); })});
                return 0;
            });
        }
        return 0;
    });
    preset.createdDate = number(object, "createdDate");
    preset.isBuiltIn = at("isBuiltIn", [&] {
        const json& value = member(object, "isBuiltIn");
        if (!value.is_boolean()) {
            fail("expected true or false");
        }
        return value.get<bool>();
    });
    return preset;
}

template <class T, class F> JsonRead<T> guarded(F&& read) {
    try {
        return {read(), {}};
    } catch (const ReadFailure& failure) {
        return {std::nullopt, failure.error};
    } catch (const json::exception& e) {
        return {std::nullopt, {"$", e.what()}};
    }
}

// The deepest nesting a preset needs: two levels per tree level, and a few around the trees.
constexpr int maxDocumentDepth = 2 * maxTreeDepth + 8;

// Whether brackets outside strings nest no deeper than the limit. Checked before parsing, so that
// a document of brackets cannot take memory in proportion to its size many times over.
bool nestsWithin(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > limit) {
                return false;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

std::optional<json> parse(std::string_view text, JsonReadError* error) {
    if (!nestsWithin(text, maxDocumentDepth)) {
        *error = {"$", "nested too deeply"};
        return std::nullopt;
    }
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        *error = {"$", "not valid JSON"};
        return std::nullopt;
    }
    return document;
}

} // namespace

json toJson(const FractionalRect& r) {
    return {{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}};
}

json toJson(const Region& region) {
    json out{{"id", region.id.text()}, {"rect", toJson(region.rect)}};
    if (region.label) {
        out["label"] = *region.label;
    }
    return out;
}

json toJson(const BSPNode& node) {
    if (node.isLeaf()) {
        return {{"leaf", {{"_0", toJson(node.region())}}}};
    }
    return {{"split",
             {{"direction", rawValue(node.direction())},
              {"fraction", node.fraction()},
              {"first", toJson(node.first())},
              {"second", toJson(node.second())}}}};
}

json toJson(const RegionPreset& preset) {
    json layouts = json::object();
    for (const auto& [key, layout] : preset.layouts) {
        layouts[key] = {{"tree", toJson(layout.tree)}};
    }
    return {{"id", preset.id.text()},
            {"name", preset.name},
            {"layouts", layouts},
            {"createdDate", preset.createdDate},
            {"isBuiltIn", preset.isBuiltIn}};
}

JsonRead<FractionalRect> fractionalRectFromJson(const json& j) {
    return guarded<FractionalRect>([&] { return Reader().rect(j); });
}

JsonRead<Region> regionFromJson(const json& j) {
    return guarded<Region>([&] { return Reader().region(j); });
}

JsonRead<BSPNode> bspNodeFromJson(const json& j) {
    return guarded<BSPNode>([&] { return Reader().node(j, 1); });
}

JsonRead<RegionPreset> presetFromJson(const json& j) {
    return guarded<RegionPreset>([&] { return Reader().preset(j); });
}

JsonRead<RegionPreset> readPresetDocument(std::string_view text) {
    JsonReadError error;
    const auto document = parse(text, &error);
    if (!document) {
        return {std::nullopt, error};
    }
    return presetFromJson(*document);
}

JsonRead<std::map<std::string, std::string>> readActiveConfigDocument(std::string_view text) {
    using Entries = std::map<std::string, std::string>;
    JsonReadError error;
    const auto document = parse(text, &error);
    if (!document) {
        return {std::nullopt, error};
    }
    return guarded<Entries>([&] {
        Reader reader;
        return reader.at("presetPerScreen", [&] {
            const json& entries = reader.member(*document, "presetPerScreen");
            if (!entries.is_object()) {
                reader.fail("expected an object");
            }
            Entries out;
            for (const auto& [key, value] : entries.items()) {
                if (!value.is_string()) {
                    reader.at(key, [&]() -> int { reader.fail("expected a string"); });
                }
                out.emplace(key, value.get<std::string>());
            }
            return out;
        });
    });
}

std::string writePresetDocument(const RegionPreset& preset) {
    // nlohmann's objects keep their members sorted by name, as preset files want them. One tab
    // per level keeps deep trees readable at a fraction of the size (and reading time) of spaces.
    return toJson(preset).dump(1, '\t', false, json::error_handler_t::replace);
}

std::string writeActiveConfigDocument(const std::map<std::string, std::string>& presetPerScreen) {
    return json{{"presetPerScreen", presetPerScreen}}.dump(-1, ' ', false,
                                                           json::error_handler_t::replace);
}

} // namespace vantile
