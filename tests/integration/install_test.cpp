// `cmake --install` of this build into a fresh prefix: the desktop files are valid and register
// the vantile:// scheme, the help page and icon are where the program and the desktop look, and
// the installed command finds its installed instance program, even after the tree was moved.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/client_window.h"
#include "support/desktop.h"
#include "support/paths.h"
#include "support/process.h"
#include "support/program_home.h"
#include "support/rect_printing.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {
namespace {

std::optional<int> runToEnd(std::vector<std::string> argv, std::string* output = nullptr,
                            const ProgramHome* home = nullptr, const std::string& display = {}) {
    TempDir logs;
    ProcessOptions options;
    options.argv = std::move(argv);
    options.stdoutFile = logs.path() / "out.log";
    options.stderrFile = options.stdoutFile;
    if (home) {
        home->applyTo(options, display);
    }
    Process process(options);
    const auto code = process.waitExit(60000ms);
    if (output) {
        std::ifstream in(*options.stdoutFile);
        std::ostringstream text;
        text << in.rdbuf();
        *output = text.str();
    }
    return code;
}

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Install, DesktopFilesHelpAndAMovableTreeThatRuns) {
    TempDir prefix;
    std::string output;
    ASSERT_EQ(
        runToEnd({"cmake", "--install", VANTILE_BINARY_DIR, "--prefix", prefix.path().string()},
                 &output),
        0)
        << output;
    const auto share = prefix.path() / "share";
    const auto entry = share / "applications" / "vantile.desktop";
    const auto autostart = share / "vantile" / "autostart" / "vantile.desktop";
    for (const auto& desktopFile : {entry, autostart}) {
        ASSERT_EQ(runToEnd({"desktop-file-validate", desktopFile.string()}, &output), 0)
            << desktopFile << ": " << output;
    }
    const std::string entryText = contents(entry);
    EXPECT_NE(entryText.find("\nMimeType=x-scheme-handler/vantile;\n"), std::string::npos);
    EXPECT_NE(entryText.find("\nExec=vantile %u\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_regular_file(share / "vantile/help/desktop-control.html"));
    EXPECT_TRUE(
        std::filesystem::is_regular_file(share / "icons/hicolor/scalable/apps/vantile.svg"));

    // Moved elsewhere, the installed command still starts its own instance program.
    TempDir moved;
    std::filesystem::rename(prefix.path() / "bin", moved.path() / "bin");
    std::filesystem::rename(prefix.path() / "libexec", moved.path() / "libexec");
    std::filesystem::rename(share, moved.path() / "share");
    auto server = XServer::start(800, 600);
    ProgramHome home;
    const std::string vantile = (moved.path() / "bin" / "vantile").string();
    ProcessOptions instanceOptions;
    instanceOptions.argv = {vantile, "--strict-x-errors"};
    instanceOptions.stdoutFile = home.root() / "instance.log";
    instanceOptions.stderrFile = instanceOptions.stdoutFile;
    home.applyTo(instanceOptions, server->display());
    Process instance(instanceOptions);
    EXPECT_TRUE(waitUntil(
        [&] {
            return runToEnd({vantile, "--ping"}, nullptr, &home, server->display()) == 0;
        },
        10000ms, 50ms))
        << instance.report();
}

} // namespace
} // namespace vantile::test
