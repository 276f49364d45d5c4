#include <gtest/gtest.h>

#include "core/regions/builtin_presets.h"
#include "core/regions/region_json.h"

namespace vantile {
namespace {

using nlohmann::json;

const char* regionText = R"({"id":"0a1b2c3d-4e5f-6789-abcd-ef0123456789","rect":{"x":0,"y":0,
    "width":0.5,"height":1},"label":null,"extra":true})";

RegionPreset userPreset() {
    RegionPreset preset{Uuid::random(), "Mine", {}, 123456.75, false};
    preset.layouts.insert_or_assign("0_0_1920_1080",
                                    RegionLayout{builtInTree(builtInPresets()[2])});
    preset.layouts.insert_or_assign("-1920_0_1920_1080",
                                    RegionLayout{builtInTree(builtInPresets()[1])});
    return preset;
}

TEST(RegionJson, RegionLabelIsLeftOutWhenAbsentAndNullReadsAsAbsent) {
    const auto read = regionFromJson(json::parse(regionText));
    ASSERT_TRUE(read.value) << read.error.description;
    EXPECT_FALSE(read.value->label);
    EXPECT_EQ(read.value->id.text(), "0A1B2C3D-4E5F-6789-ABCD-EF0123456789")
        << "written upper-case";
    EXPECT_FALSE(toJson(*read.value).contains("label"));

    Region labelled = *read.value;
    labelled.label = "Left";
    EXPECT_NE(labelled, *read.value);
    EXPECT_EQ(regionFromJson(toJson(labelled)).value, labelled);
}

TEST(RegionJson, PresetRoundTripsWithSortedMembers) {
    const RegionPreset preset = userPreset();
    const std::string text = writePresetDocument(preset);
    EXPECT_LT(text.find("\"createdDate\""), text.find("\"id\""));
    EXPECT_LT(text.find("\"isBuiltIn\""), text.find("\"layouts\""));
    EXPECT_NE(text.find('\n'), std::string::npos) << "pretty-printed";
    const auto read = readPresetDocument(text);
    ASSERT_TRUE(read.value) << read.error.path << ": " << read.error.description;
    EXPECT_EQ(read.value->id, preset.id);
    EXPECT_EQ(read.value->name, "Mine");
    EXPECT_EQ(read.value->createdDate, 123456.75);
    EXPECT_FALSE(read.value->isBuiltIn);
    ASSERT_EQ(read.value->layouts.size(), 2u);
    for (const auto& [key, layout] : preset.layouts) {
        EXPECT_EQ(read.value->layouts.at(key).tree, layout.tree) << key;
    }

    RegionPreset empty{Uuid::random(), "", {}, -5, true};
    const auto emptyRead = readPresetDocument(writePresetDocument(empty));
    ASSERT_TRUE(emptyRead.value);
    EXPECT_TRUE(emptyRead.value->layouts.empty());
    EXPECT_TRUE(emptyRead.value->isBuiltIn);
}

TEST(RegionJson, EveryMissingOrMistypedMemberFailsThePreset) {
    const json good = toJson(userPreset());
    for (const char* member : {"id", "name", "layouts", "createdDate", "isBuiltIn"}) {
        json broken = good;
        broken.erase(member);
        EXPECT_FALSE(presetFromJson(broken).value) << "without " << member;
        broken = good;
        broken[member] = json::array();
        EXPECT_FALSE(presetFromJson(broken).value) << member << " as an array";
    }
    json badId = good;
    badId["id"] = "00000000-0000-0000-0000-00000000000G";
    EXPECT_FALSE(presetFromJson(badId).value);
    json badTree = good;
    badTree["layouts"]["0_0_1920_1080"]["tree"]["split"]["direction"] = "diagonal";
    const auto failed = presetFromJson(badTree);
    ASSERT_FALSE(failed.value);
    EXPECT_EQ(failed.error.path, "$.layouts.0_0_1920_1080.tree.split.direction");
    EXPECT_FALSE(readPresetDocument("{\"id\": ").value);
    EXPECT_FALSE(readPresetDocument("[]").value);
}

TEST(RegionJson, TreeNeedsExactlyOneKnownKey) {
    const json leaf = json::parse(std::string(R"({"_0":)") + regionText + "}");
    const json tree = toJson(builtInTree(builtInPresets()[0]));
    for (const json& wrong : {json{{"leaf", leaf}, {"split", tree["split"]}}, json::object()}) {
        const auto read = bspNodeFromJson(wrong);
        ASSERT_FALSE(read.value);
        EXPECT_EQ(read.error.description, "Invalid number of keys found, expected one.");
    }
    EXPECT_TRUE(bspNodeFromJson(json{{"leaf", leaf}, {"comment", 1}}).value)
        << "unrecognised members do not count";
    EXPECT_FALSE(bspNodeFromJson(json{{"leaf", json::object()}}).value) << "leaf without _0";
    json noFraction = tree;
    noFraction["split"].erase("fraction");
    EXPECT_FALSE(bspNodeFromJson(noFraction).value);
}

TEST(RegionJson, DeeplyNestedTreesAreRefusedNotRecursedInto) {
    const json leaf = json::parse(std::string(R"({"leaf":{"_0":)") + regionText + "}}");
    auto chain = [&](int depth) {
        json node = leaf;
        for (int i = 1; i < depth; ++i) {
            node = json{{"split",
                         {{"direction", "vertical"},
                          {"fraction", 0.5},
                          {"first", node},
                          {"second", leaf}}}};
        }
        return node;
    };
    EXPECT_TRUE(bspNodeFromJson(chain(maxTreeDepth)).value);
    const auto deep = bspNodeFromJson(chain(maxTreeDepth + 1));
    ASSERT_FALSE(deep.value);
    EXPECT_EQ(deep.error.description, "the tree is nested too deeply");
}

// Values that would place windows far off their screen, or make the editor draw without end.
TEST(RegionJson, FractionsAndRectsOutsideTheirMeaningFailTheTree) {
    const json leaf = json::parse(std::string(R"({"leaf":{"_0":)") + regionText + "}}");
    auto split = [&](double fraction) {
        return json{{"split",
                     {{"direction", "vertical"},
                      {"fraction", fraction},
                      {"first", leaf},
                      {"second", leaf}}}};
    };
    for (const double fraction : {1e17, -1e17, 1000.0, -3.3, 0.0, 1.0}) {
        EXPECT_FALSE(bspNodeFromJson(split(fraction)).value) << fraction;
    }
    EXPECT_TRUE(bspNodeFromJson(split(1e-9)).value);
    const FractionalRect bad[] = {{0, 0, 1e300, 1}, {-3.3, 0, 0.5, 1}, {0.5, 0, 0.6, 1},
                                  {0, 0, 0, 1},     {0, 0.5, 1, -0.1}, {0, 0, 1, 1 + 1e-6}};
    for (const FractionalRect& rect : bad) {
        EXPECT_FALSE(fractionalRectFromJson(toJson(rect)).value) << rect.x << " " << rect.width;
    }
    EXPECT_TRUE(fractionalRectFromJson(toJson(FractionalRect{0.5, 0, 0.5 + 1e-10, 1})).value)
        << "the rounding a computed tree leaves at the far edge";
}

TEST(RegionJson, BracketsNestedPastAnyPresetAreRefusedBeforeParsing) {
    const std::string deep = std::string(200, '[') + std::string(200, ']');
    EXPECT_EQ(readPresetDocument(deep).error.description, "nested too deeply");
    EXPECT_EQ(readActiveConfigDocument(deep).error.description, "nested too deeply");
    // Brackets inside strings, escaped quotes included, are no nesting.
    const std::string quoted = R"({"presetPerScreen":{"k":"\")" + std::string(200, '[') + R"("}})";
    EXPECT_TRUE(readActiveConfigDocument(quoted).value);
}

TEST(RegionJson, ActiveConfigReadsOnlyStringEntries) {
    const auto read = readActiveConfigDocument(
        R"({"presetPerScreen":{"0_0_1920_1080":"00000000-0000-0000-0000-000000000002"},"x":1})");
    ASSERT_TRUE(read.value);
    EXPECT_EQ(read.value->at("0_0_1920_1080"), "00000000-0000-0000-0000-000000000002");
    EXPECT_FALSE(readActiveConfigDocument(R"({"presetPerScreen":{"a":1}})").value);
    EXPECT_FALSE(readActiveConfigDocument(R"({"other":{}})").value);
    const std::string written = writeActiveConfigDocument(*read.value);
    EXPECT_EQ(written.find('\n'), std::string::npos) << "compact";
    EXPECT_EQ(readActiveConfigDocument(written).value, read.value);
}

} // namespace
} // namespace vantile
