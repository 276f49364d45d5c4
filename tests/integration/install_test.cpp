// `cmake --install` of this build into a fresh prefix: the desktop files are valid and register
// the vantile:// scheme, the help page and icon are where the program and the desktop look, and
// the installed command finds its installed instance program, even after the tree was moved.

#include <gtest/gtest.h>

#include "support/vantile_program.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

// Runs the program to its end: its exit code and output.
std::pair<std::optional<int>, std::string> runToEnd(ProcessOptions options) {
    TempDir logs;
    options.outputFile = logs.path() / "out.log";
    Process process(options);
    const auto code = process.waitExit(60000ms);
    return {code, readTextFile(*options.outputFile)};
}

TEST(Install, DesktopFilesHelpAndAMovableTreeThatRuns) {
    TempDir prefix;
    const auto installed =
        runToEnd({{"cmake", "--install", VANTILE_BINARY_DIR, "--prefix", prefix.path()}});
    ASSERT_EQ(installed.first, 0) << installed.second;
    const auto share = prefix.path() / "share";
    const auto entry = share / "applications/vantile.desktop";
    for (const auto& file : {entry, share / "vantile/autostart/vantile.desktop"}) {
        const auto valid = runToEnd({{"desktop-file-validate", file}});
        EXPECT_EQ(valid.first, 0) << file << ": " << valid.second;
    }
    const std::string entryText = readTextFile(entry);
    EXPECT_NE(entryText.find("\nMimeType=x-scheme-handler/vantile;\n"), std::string::npos);
    EXPECT_NE(entryText.find("\nExec=vantile %u\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_regular_file(share / "vantile/help/desktop-control.html"));
    EXPECT_TRUE(
        std::filesystem::is_regular_file(share / "icons/hicolor/scalable/apps/vantile.svg"));

    // Moved elsewhere, the installed command still starts its own instance program.
    TempDir moved;
    for (const char* folder : {"bin", "libexec", "share"}) {
        std::filesystem::rename(prefix.path() / folder, moved.path() / folder);
    }
    auto server = XServer::start(800, 600);
    ProgramHome home;
    ProcessOptions instance{{moved.path() / "bin/vantile", "--strict-x-errors"}};
    instance.outputFile = home.root() / "instance.log";
    home.applyTo(instance, server->display());
    Process running(instance);
    ProcessOptions ping{{moved.path() / "bin/vantile", "--ping"}};
    home.applyTo(ping, server->display());
    EXPECT_TRUE(waitUntil([&] { return runToEnd(ping).first == 0; }, 10000ms, 50ms))
        << running.report();
}

} // namespace
} // namespace vantile::test
