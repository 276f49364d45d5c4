#include <gtest/gtest.h>

#include "ipc/command_line.h"

namespace vantile {
namespace {

CommandLine parse(std::vector<std::string> args) {
    return parseCommandLine(args);
}

TEST(CommandLine, SnapIsShorthandForTheSnapUrl) {
    const auto command = parse({"snap", "leftHalf"});
    EXPECT_EQ(command.kind, CommandLine::Kind::run);
    EXPECT_EQ(command.url, "vantile://snap?action=leftHalf");
    EXPECT_EQ(parse({"--strict-x-errors", "snap", "restore"}).strictXErrors, true);
}

TEST(CommandLine, UnknownActionsAndWordsAreRefusedWithAReason) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"snap", "LeftHalf"},
                                                                  {"snap"},
                                                                  {"snap", "leftHalf", "x"},
                                                                  {"jump"},
                                                                  {"--frobnicate"},
                                                                  {"--ping", "snap", "center"},
                                                                  {"show", "extra"}}) {
        const auto command = parse(args);
        EXPECT_EQ(command.kind, CommandLine::Kind::invalid) << args[0];
        EXPECT_FALSE(command.error.empty());
    }
    EXPECT_NE(parse({"snap", "sideways"}).error.find("almostMaximize"), std::string::npos)
        << "the message lists the valid actions";
}

TEST(CommandLine, UrlsAreForwardedUntouched) {
    EXPECT_EQ(parse({"vantile://snap?action=Nonsense"}).url, "vantile://snap?action=Nonsense");
    EXPECT_EQ(parse({"show"}).url, "vantile://show");
    EXPECT_FALSE(parse({}).url);
    EXPECT_EQ(parse({}).kind, CommandLine::Kind::run);
    EXPECT_EQ(parse({"--ping"}).kind, CommandLine::Kind::ping);
    EXPECT_EQ(parse({"x", "--help"}).kind, CommandLine::Kind::help);
}

} // namespace
} // namespace vantile
