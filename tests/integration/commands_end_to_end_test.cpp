// The tray menu's actions as `vantile` commands, run as a user would against the real instance on
// two RandR monitors under Openbox: listing, choosing and clearing presets, a refused request that
// changes nothing, and quitting.

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/desktop.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {
namespace {

// The second one is taller than the primary, so its top-left corner in screen space (y up from
// the primary's bottom) lies below zero.
const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1920}};
constexpr const char* kRightKey = "1920_-840_1200_1920";
constexpr const char* kThirdsId = "00000000-0000-0000-0000-000000000002";

std::string listing(const char* rightPreset) {
    return std::string("Screens:\n"
                       "1\tLEFT\t1920x1080+0+0\t-\n"
                       "2\tRIGHT\t1200x1920+1920+0\t") +
           rightPreset +
           "\n"
           "Presets:\n"
           "Halves\t00000000-0000-0000-0000-000000000001\n"
           "Thirds\t00000000-0000-0000-0000-000000000002\n"
           "Quarters\t00000000-0000-0000-0000-000000000003\n"
           "Coding (60/40)\t00000000-0000-0000-0000-000000000004\n";
}

// The preset chosen for a screen as the program stored it; empty for none.
std::string storedChoice(const std::filesystem::path& configDir, const char* screenKey) {
    std::ifstream in(configDir / "active_config.json");
    const auto document = nlohmann::json::parse(in, nullptr, false);
    if (!document.is_object() || !document.contains("presetPerScreen")) {
        return "<no readable active_config.json>";
    }
    return document["presetPerScreen"].value(screenKey, "");
}

TEST(CommandsEndToEnd, ListUseRefuseClearAndQuit) {
    Desktop desktop = Desktop::start(WmKind::Openbox, 3120, 1920, twoMonitors);
    std::filesystem::path configDir;
    auto vantile = VantileProgram::start(*desktop.server, {}, [&](const ProgramHome& home) {
        configDir = home.configHome() / "VantileWindowManager";
    });
    const auto choiceOfRight = [&] { return storedChoice(configDir, kRightKey); };

    auto result = vantile->run({"presets"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, listing("-"));

    result = vantile->run({"use", "Thirds", "--screen", "2"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(vantile->run({"presets"}).output, listing("Thirds"));
    EXPECT_EQ(choiceOfRight(), kThirdsId);

    result = vantile->run({"use", "Nonsense"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.output, "vantile: no preset named 'Nonsense'; 'vantile presets' lists them\n");
    EXPECT_EQ(vantile->run({"presets"}).output, listing("Thirds")) << "nothing changed";

    result = vantile->run({"clear", "--screen", "2"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(vantile->run({"presets"}).output, listing("-"));
    EXPECT_EQ(choiceOfRight(), "");

    result = vantile->run({"quit"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(waitUntil([&] { return !vantile->running(); }, 5000ms)) << vantile->report();
    result = vantile->run({"presets"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, "vantile: no instance is running for this display\n");
}

// A full disk under the configuration folder: the choice takes effect, and the command says that
// it could not be kept instead of reporting success.
TEST(CommandsEndToEnd, AChoiceTheDiskCannotKeepIsReported) {
    Desktop desktop = Desktop::start(WmKind::Openbox, 3120, 1920, twoMonitors);
    std::filesystem::path configDir;
    auto vantile = VantileProgram::start(*desktop.server, {}, [&](const ProgramHome& home) {
        configDir = home.configHome() / "VantileWindowManager";
    });
    if (::mount("tmpfs", configDir.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    struct Unmount {
        std::filesystem::path path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{configDir};
    std::ofstream filler(configDir / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
    }

    const auto result = vantile->run({"use", "Thirds", "--screen", "2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("could not be written"), std::string::npos) << result.output;
    EXPECT_EQ(vantile->run({"presets"}).output, listing("Thirds")) << "in use all the same";
}

} // namespace
} // namespace vantile::test
