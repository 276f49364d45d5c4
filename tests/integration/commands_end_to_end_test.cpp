// The tray menu's actions as `vantile` commands, run as a user would against the real instance on
// RandR monitors under Openbox: listing, choosing and clearing presets, a refused request that
// changes nothing, a monitor that comes with a remembered preset, a full disk, and quitting.

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/vantile_program.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

// The second one is taller than the primary, so its corner in screen space (y up from the
// primary's bottom) lies below zero.
const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1920}};
const std::string kHalves = "00000000-0000-0000-0000-000000000001";
const std::string kThirds = "00000000-0000-0000-0000-000000000002";

std::string listing(const std::string& right, const std::string& extra = "") {
    return "Screens:\n1\tLEFT\t1920x1080+0+0\t-\n2\tRIGHT\t1200x1920+1920+0\t" + right + "\n" +
           extra + "Presets:\nHalves\t" + kHalves + "\nThirds\t" + kThirds +
           "\nQuarters\t00000000-0000-0000-0000-000000000003\n"
           "Coding (60/40)\t00000000-0000-0000-0000-000000000004\n";
}

// Halves is remembered for a monitor that is not connected yet.
class CommandsEndToEnd : public ::testing::Test, public ProgramSession {
  protected:
    CommandsEndToEnd()
        : ProgramSession(WmKind::Openbox, 3920, 1920, twoMonitors, [](ProgramSession& session) {
              std::filesystem::create_directories(session.configDir);
              std::ofstream(session.configDir / "active_config.json")
                  << R"({"presetPerScreen":{"3120_480_800_600":")" << kHalves << R"("}})";
          }) {}

    // The preset stored for the second monitor; empty for none.
    std::string storedChoice() {
        std::ifstream in(configDir / "active_config.json");
        const auto document = nlohmann::json::parse(in, nullptr, false);
        return document.is_object() ? document["presetPerScreen"].value("1920_-840_1200_1920", "")
                                    : "<unreadable>";
    }
    std::string presets() { return vantile->run({"presets"}).output; }
};

TEST_F(CommandsEndToEnd, ListUseRefuseClearAddAMonitorAndQuit) {
    EXPECT_EQ(vantile->run({"presets"}), (CommandResult{0, listing("-")}));
    EXPECT_EQ(vantile->run({"use", "Thirds", "--screen", "2"}), (CommandResult{0, ""}));
    EXPECT_EQ(presets(), listing("Thirds"));
    EXPECT_EQ(storedChoice(), kThirds);
    EXPECT_EQ(vantile->run({"use", "Nonsense"}),
              (CommandResult{2, "vantile: no preset named 'Nonsense'; 'vantile presets' lists "
                                "them\n"}));
    EXPECT_EQ(presets(), listing("Thirds")) << "nothing changed";
    EXPECT_EQ(vantile->run({"clear", "--screen", "2"}), (CommandResult{0, ""}));
    EXPECT_EQ(presets(), listing("-"));
    EXPECT_EQ(storedChoice(), "");

    // A monitor added gets the preset remembered for it.
    desktop.server->setMonitors({twoMonitors[0], twoMonitors[1], {"EXTRA", 3120, 0, 800, 600}});
    EXPECT_TRUE(waitUntil(
        [&] { return presets() == listing("-", "3\tEXTRA\t800x600+3120+0\tHalves\n"); }, 10000ms))
        << presets();

    EXPECT_EQ(vantile->run({"quit"}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return !vantile->running(); }, 5000ms)) << vantile->report();
    EXPECT_EQ(vantile->run({"presets"}),
              (CommandResult{1, "vantile: no instance is running for this display\n"}));
}

// A full disk under the configuration folder: the choice takes effect, and the command says that
// it could not be kept instead of reporting success.
TEST_F(CommandsEndToEnd, AChoiceTheDiskCannotKeepIsReported) {
    if (::mount("tmpfs", configDir.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    std::ofstream filler(configDir / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
    }
    const auto result = vantile->run({"use", "Thirds", "--screen", "2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("could not be written"), std::string::npos) << result.output;
    EXPECT_EQ(presets(), listing("Thirds")) << "in use all the same";
    ::umount2(configDir.c_str(), MNT_DETACH);
}

} // namespace
} // namespace vantile::test
