// Presets and the chosen presets as JSON, the folder that keeps them, and the file writes under
// both: what is read back, and what a damaged or hostile file can and cannot do.

#include <sys/stat.h>

#include <fstream>
#include <gtest/gtest.h>

#include "base/file_io.h"
#include "core/regions/builtin_presets.h"
#include "core/regions/region_json.h"
#include "core/regions/region_persistence.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const char* regionText = R"({"id":"0a1b2c3d-4e5f-6789-abcd-ef0123456789","rect":{"x":0,"y":0,
    "width":0.5,"height":1},"label":null,"extra":true})";
const json leaf = json::parse(std::string(R"({"leaf":{"_0":)") + regionText + "}}");

json split(double fraction, const json& first = leaf) {
    return {
        {"split",
         {{"direction", "vertical"}, {"fraction", fraction}, {"first", first}, {"second", leaf}}}};
}

RegionPreset userPreset(const std::string& name = "Mine", Date created = 123456.75) {
    RegionPreset preset{Uuid::random(), name, {}, created, false};
    preset.layouts.insert_or_assign("0_0_1920_1080",
                                    RegionLayout{builtInTree(builtInPresets()[2])});
    preset.layouts.insert_or_assign("-1920_0_1920_1080",
                                    RegionLayout{builtInTree(builtInPresets()[1])});
    return preset;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
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
    EXPECT_EQ(writePresetDocument(*read.value), text) << "every member read back";
    EXPECT_EQ(read.value->layouts.at("0_0_1920_1080").tree,
              preset.layouts.at("0_0_1920_1080").tree);
    const auto builtIn =
        readPresetDocument(writePresetDocument({Uuid::random(), "", {}, -5, true}));
    ASSERT_TRUE(builtIn.value);
    EXPECT_TRUE(builtIn.value->isBuiltIn && builtIn.value->layouts.empty());
}

// A preset with one member taken out ("-" as the value) or changed fails as a whole: a missing or
// mistyped member, a tree node without exactly one known key, and values that would place windows
// far off their screen or make the editor draw without end. Where it failed is said.
TEST(RegionJson, EveryMissingMistypedOrAbsurdMemberFailsThePreset) {
    const json good = toJson(userPreset());
    const std::string tree = "/layouts/0_0_1920_1080/tree", split = tree + "/split",
                      leaf = split + "/first/split/first/leaf", rect = leaf + "/_0/rect";
    std::vector<std::pair<std::string, json>> edits = {
        {"/id", "00000000-0000-0000-0000-00000000000G"},
        {split + "/direction", "diagonal"},
        {split + "/fraction", "-"},
        {tree + "/leaf", json::object()},
        {tree, json::object()},
        {leaf + "/_0", "-"},
        {rect + "/width", 1e300},
        {rect + "/x", -3.3},
        {rect + "/x", 0.6},
        {rect + "/width", 0},
        {rect + "/height", -0.1},
        {rect + "/height", 1 + 1e-6}};
    for (const double fraction : {1e17, -1e17, 1000.0, -3.3, 0.0, 1.0}) {
        edits.emplace_back(split + "/fraction", fraction);
    }
    for (const char* member : {"/id", "/name", "/layouts", "/createdDate", "/isBuiltIn"}) {
        edits.emplace_back(member, "-");
        edits.emplace_back(member, json::array());
    }
    const auto edited = [&](const std::string& path, const json& value) {
        const char* op = value == "-" ? "remove" : "add";
        return presetFromJson(good.patch({{{"op", op}, {"path", path}, {"value", value}}}));
    };
    ASSERT_TRUE(presetFromJson(good).value) << "unedited, it is read";
    for (const auto& [path, value] : edits) {
        EXPECT_FALSE(edited(path, value).value) << path << " " << value;
    }
    EXPECT_EQ(edited(split + "/direction", "x").error.path,
              "$.layouts.0_0_1920_1080.tree.split.direction");
    EXPECT_EQ(bspNodeFromJson(json::object()).error.description,
              "Invalid number of keys found, expected one.");
    EXPECT_FALSE(readPresetDocument("{\"id\": ").value || readPresetDocument("[]").value);
}

// The smallest and largest values that still mean something, and members nobody knows.
TEST(RegionJson, FractionsAtTheirEdgesAndUnknownMembersAreRead) {
    EXPECT_TRUE(bspNodeFromJson(split(1e-9)).value);
    EXPECT_TRUE(fractionalRectFromJson(toJson(FractionalRect{0.5, 0, 0.5 + 1e-10, 1})).value)
        << "the rounding a computed tree leaves at the far edge";
    EXPECT_TRUE(bspNodeFromJson(json{{"leaf", leaf["leaf"]}, {"comment", 1}}).value);
}

// Nesting that would recurse past the stack.
TEST(RegionJson, NestingPastTheLimitFailsTheTree) {
    json chain = leaf;
    for (int depth = 1; depth < maxTreeDepth; ++depth) {
        chain = split(0.5, chain);
    }
    EXPECT_TRUE(bspNodeFromJson(chain).value);
    EXPECT_EQ(bspNodeFromJson(split(0.5, chain)).error.description,
              "the tree is nested too deeply");
    const std::string deep = std::string(200, '[') + std::string(200, ']');
    EXPECT_EQ(readPresetDocument(deep).error.description, "nested too deeply");
    EXPECT_EQ(readActiveConfigDocument(deep).error.description, "nested too deeply");
    // Brackets inside strings, escaped quotes included, are no nesting.
    const std::string quoted = R"({"presetPerScreen":{"k":"\")" + std::string(200, '[') + R"("}})";
    EXPECT_TRUE(readActiveConfigDocument(quoted).value);
}

TEST(RegionJson, ActiveConfigReadsOnlyStringEntriesAndIsWrittenCompact) {
    const auto read = readActiveConfigDocument(
        R"({"presetPerScreen":{"0_0_1920_1080":"00000000-0000-0000-0000-000000000002"},"x":1})");
    ASSERT_TRUE(read.value);
    EXPECT_EQ(*read.value, (std::map<std::string, std::string>{
                               {"0_0_1920_1080", "00000000-0000-0000-0000-000000000002"}}));
    EXPECT_FALSE(readActiveConfigDocument(R"({"presetPerScreen":{"a":1}})").value);
    EXPECT_FALSE(readActiveConfigDocument(R"({"other":{}})").value);
    const std::string written = writeActiveConfigDocument(*read.value);
    EXPECT_EQ(written.find('\n'), std::string::npos);
    EXPECT_EQ(readActiveConfigDocument(written).value, read.value);
}

class RegionPersistenceTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    RegionPersistence store{dir.path() / "VantileWindowManager"};
};

TEST_F(RegionPersistenceTest, ActiveConfigEntriesAreSetAndRemovedOneByOne) {
    EXPECT_TRUE(fs::is_directory(store.presetsDirectory())) << "created with its parents";
    writeText(store.activeConfigPath(), "{\"presetPerScreen\": {\"k\": ");
    EXPECT_TRUE(store.loadActiveConfig().empty()) << "corrupt counts as empty, and is replaced";
    const Uuid a = Uuid::random(), b = Uuid::random();
    store.setActivePreset(a, "0_0_1920_1080");
    store.setActivePreset(b, "1920_0_1280_1024");
    store.setActivePreset(std::nullopt, "not_there");
    EXPECT_EQ(store.loadActiveConfig(),
              (std::map<std::string, std::string>{{"0_0_1920_1080", a.text()},
                                                  {"1920_0_1280_1024", b.text()}}));
    store.setActivePreset(std::nullopt, "0_0_1920_1080");
    EXPECT_EQ(store.loadActiveConfig(),
              (std::map<std::string, std::string>{{"1920_0_1280_1024", b.text()}}));
}

TEST_F(RegionPersistenceTest, PresetsLoadOldestFirstAndOnlyWellFormedRegularJsonFiles) {
    auto ten = userPreset("ten", 36000);
    for (const auto& p : {ten, userPreset("nine", 32400), userPreset("eleven", 39600)}) {
        store.savePreset(p);
    }
    ten.name = "ten again";
    store.savePreset(ten); // replaces the file
    const fs::path folder = store.presetsDirectory();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3) << "no temporaries left";
    writeText(folder / "broken.json", "{\"id\": 3}");
    writeText(folder / "other.txt", writePresetDocument(userPreset("txt", 1)));
    writeText(folder / "CAPS.JSON", writePresetDocument(userPreset("caps", 2)));
    writeText(folder / "renamed.json", writePresetDocument(userPreset("renamed", 40000)));
    // Loading would block for ever on a FIFO.
    ASSERT_EQ(::mkfifo((folder / "pipe.json").c_str(), 0600), 0);
    fs::create_directory(folder / "folder.json");
    std::vector<std::string> names;
    for (const auto& p : store.loadCustomPresets()) {
        names.push_back(p.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"nine", "ten again", "eleven", "renamed"}));
    EXPECT_TRUE(fs::exists(folder / (ten.id.text() + ".json")));
}

// A write cut short by a crash leaves its temporary file; the next start removes the ones old
// enough that no instance can still be writing them.
// Whether an unchanged choice is written again is seen end to end.
TEST_F(RegionPersistenceTest, TemporariesLeftBehindAreRemovedAtStartAndOtherFilesStay) {
    const fs::path base = store.baseDirectory();
    // A path, whether it is old, and whether it stays.
    const std::tuple<fs::path, bool, bool> files[] = {
        {base / ".active_config.json.a1B2c3", true, false},
        {store.presetsDirectory() / ".0A1B.json.Zz9Yy8", true, false},
        {base / ".active_config.json.fresh1", false, true},
        {base / "notes.json.old", true, true}};
    for (const auto& [path, old, stays] : files) {
        writeText(path, "{");
        const auto age = old ? RegionPersistence::staleTemporaryAge * 2 : std::chrono::seconds(0);
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
    }
    RegionPersistence(store.baseDirectory());
    for (const auto& [path, old, stays] : files) {
        EXPECT_EQ(fs::exists(path), stays) << path;
    }
}

TEST_F(RegionPersistenceTest, TooLargePresetsAreNotSavedAndAMissingFolderReadsAsEmpty) {
    EXPECT_FALSE(store.savePreset(userPreset(std::string(maxConfigFileSize, 'x'), 1)));
    EXPECT_TRUE(store.loadCustomPresets().empty());
    EXPECT_TRUE(store.savePreset(userPreset("Small", 2)));

    writeText(dir.path() / "file-not-folder", "");
    const RegionPersistence nowhere(dir.path() / "file-not-folder" / "x");
    EXPECT_TRUE(nowhere.loadCustomPresets().empty());
    EXPECT_TRUE(nowhere.loadActiveConfig().empty());
    EXPECT_FALSE(nowhere.setActivePreset(Uuid::random(), "k"));
}

TEST(FileIo, AtomicWritesKeepModeAndLinksAndAFailedOneLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    const fs::path target = dir.path() / "config.json", link = dir.path() / "link.json";
    ASSERT_TRUE(writeFileAtomically(target, "one"));
    ::chmod(target.c_str(), 0600);
    ASSERT_TRUE(writeFileAtomically(target, "two"));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the user's choice of mode survives";
    const mode_t old = ::umask(077);
    ASSERT_TRUE(writeFileAtomically(dir.path() / "new.json", "x"));
    ::umask(old);
    ASSERT_EQ(::stat((dir.path() / "new.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a new file follows the umask";
    fs::create_symlink(target, link);
    ASSERT_TRUE(writeFileAtomically(link, "three"));
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(readWholeFile(target), "three");
    EXPECT_FALSE(readWholeFile(target, 2)) << "larger than the limit";

    // A name so long that no temporary can be made beside it; a folder in the way of the rename;
    // a missing folder.
    const fs::path longName = dir.path() / (std::string(250, 'n') + ".json");
    std::ofstream(longName) << "old";
    fs::create_directories(dir.path() / "dir.json" / "child");
    for (const fs::path& path : {longName, dir.path() / "dir.json", dir.path() / "no" / "a"}) {
        EXPECT_FALSE(writeFileAtomically(path, "new")) << path;
    }
    EXPECT_EQ(readWholeFile(longName), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 5) << "no temporary files";
}

} // namespace
} // namespace vantile
