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

class RegionPersistenceTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    RegionPersistence store{dir.path() / "VantileWindowManager"};

    RegionPreset preset(const std::string& name, Date created) {
        RegionPreset p{Uuid::random(), name, {}, created, false};
        p.layouts.insert_or_assign("0_0_1920_1080", RegionLayout{builtInTree(builtInPresets()[0])});
        return p;
    }
    void writeText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
};

TEST_F(RegionPersistenceTest, ActiveConfigEntriesAreSetAndRemovedOneByOne) {
    EXPECT_TRUE(fs::is_directory(store.presetsDirectory())) << "created with its parents";
    EXPECT_TRUE(store.loadActiveConfig().empty());
    const Uuid a = Uuid::random(), b = Uuid::random();
    store.setActivePreset(a, "0_0_1920_1080");
    store.setActivePreset(b, "1920_0_1280_1024");
    store.setActivePreset(std::nullopt, "not_there");
    auto entries = store.loadActiveConfig();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries["0_0_1920_1080"], a.text());
    store.setActivePreset(std::nullopt, "0_0_1920_1080");
    entries = store.loadActiveConfig();
    EXPECT_EQ(entries, (std::map<std::string, std::string>{{"1920_0_1280_1024", b.text()}}));
}

TEST_F(RegionPersistenceTest, CorruptActiveConfigCountsAsEmptyAndIsReplaced) {
    writeText(store.activeConfigPath(), "{\"presetPerScreen\": {\"k\": ");
    EXPECT_TRUE(store.loadActiveConfig().empty());
    const Uuid id = Uuid::random();
    store.setActivePreset(id, "0_0_800_600");
    EXPECT_EQ(store.loadActiveConfig().at("0_0_800_600"), id.text());
}

TEST_F(RegionPersistenceTest, PresetsLoadOldestFirstAndBrokenFilesAreSkipped) {
    const auto ten = preset("ten", 36000), nine = preset("nine", 32400),
               eleven = preset("eleven", 39600);
    for (const auto& p : {ten, nine, eleven}) {
        store.savePreset(p);
    }
    const fs::path folder = store.presetsDirectory();
    writeText(folder / "broken.json", "{\"id\": 3}");
    writeText(folder / "other.txt", writePresetDocument(preset("txt", 1)));
    writeText(folder / "CAPS.JSON", writePresetDocument(preset("caps", 2)));
    writeText(folder / "renamed.json", writePresetDocument(preset("renamed", 40000)));
    std::vector<std::string> names;
    for (const auto& p : store.loadCustomPresets()) {
        names.push_back(p.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"nine", "ten", "eleven", "renamed"}));
    EXPECT_TRUE(fs::exists(folder / (ten.id.text() + ".json")));
}

TEST_F(RegionPersistenceTest, SavingAgainReplacesTheFile) {
    auto p = preset("first", 1);
    store.savePreset(p);
    p.name = "second";
    store.savePreset(p);
    const auto loaded = store.loadCustomPresets();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].name, "second");
    // No temporary files are left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(store.presetsDirectory()), {}), 1);
}

// A write cut short by a crash leaves its temporary file; the next start removes the ones old
// enough that no instance can still be writing them.
TEST_F(RegionPersistenceTest, TemporariesLeftBehindAreRemovedAtStartAndUnchangedFilesStay) {
    const fs::path base = store.baseDirectory();
    const std::vector<fs::path> stale = {base / ".active_config.json.a1B2c3",
                                         store.presetsDirectory() / ".0A1B.json.Zz9Yy8"};
    const std::vector<fs::path> kept = {base / ".active_config.json.fresh1",
                                        base / "notes.json.old"};
    for (const fs::path& path : stale) {
        writeText(path, "{");
        fs::last_write_time(path, fs::file_time_type::clock::now() -
                                      RegionPersistence::staleTemporaryAge * 2);
    }
    for (const fs::path& path : kept) {
        writeText(path, "{");
    }
    RegionPersistence(store.baseDirectory());
    for (const fs::path& path : stale) {
        EXPECT_FALSE(fs::exists(path)) << path;
    }
    for (const fs::path& path : kept) {
        EXPECT_TRUE(fs::exists(path)) << path;
    }

    // Choosing what is already chosen writes nothing, so a crash then cannot leave anything.
    const Uuid id = Uuid::random();
    ASSERT_TRUE(store.setActivePreset(id, "0_0_1920_1080"));
    struct stat before {};
    ::stat(store.activeConfigPath().c_str(), &before);
    EXPECT_TRUE(store.setActivePreset(id, "0_0_1920_1080"));
    struct stat after {};
    ::stat(store.activeConfigPath().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "replaced, not left alone";
}

TEST_F(RegionPersistenceTest, APresetTooLargeToBeReadBackIsNotSaved) {
    RegionPreset huge = preset(std::string(maxConfigFileSize, 'x'), 1);
    EXPECT_FALSE(store.savePreset(huge));
    EXPECT_TRUE(store.loadCustomPresets().empty());
    EXPECT_TRUE(store.savePreset(preset("Small", 2)));
}

TEST_F(RegionPersistenceTest, MissingFolderReadsAsEmpty) {
    RegionPersistence nowhere(dir.path() / "file-not-folder" / "x");
    writeText(dir.path() / "file-not-folder", "");
    EXPECT_TRUE(nowhere.loadCustomPresets().empty());
    EXPECT_TRUE(nowhere.loadActiveConfig().empty());
    nowhere.setActivePreset(Uuid::random(), "k"); // must not throw
}

TEST_F(RegionPersistenceTest, OnlyRegularFilesAreReadSoAFifoCannotHangLoading) {
    store.savePreset(preset("real", 1));
    ASSERT_EQ(::mkfifo((store.presetsDirectory() / "pipe.json").c_str(), 0600), 0);
    fs::create_directory(store.presetsDirectory() / "folder.json");
    const auto loaded = store.loadCustomPresets(); // would block for ever on the FIFO
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].name, "real");
}

TEST(FileIo, AtomicWriteKeepsTheFilesModeAndWritesThroughLinks) {
    test::TempDir dir;
    const fs::path target = dir.path() / "config.json";
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

    const fs::path link = dir.path() / "link.json";
    fs::create_symlink(target, link);
    ASSERT_TRUE(writeFileAtomically(link, "three"));
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(readWholeFile(target), "three");
}

TEST(FileIo, AtomicWriteLeavesTheOldFileWhenItCannotFinish) {
    test::TempDir dir;
    const fs::path target = dir.path() / "a.json";
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    EXPECT_FALSE(writeFileAtomically(dir.path() / "missing" / "a.json", "new"));
    // A folder in the way of the rename: the write fails and nothing half-written remains.
    fs::create_directory(dir.path() / "dir.json");
    fs::create_directory(dir.path() / "dir.json" / "child");
    EXPECT_FALSE(writeFileAtomically(dir.path() / "dir.json", "new"));
    EXPECT_EQ(readWholeFile(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "no temporary files";
    EXPECT_FALSE(readWholeFile(target, 2)) << "larger than the limit";
}

} // namespace
} // namespace vantile
