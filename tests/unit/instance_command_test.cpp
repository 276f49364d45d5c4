// The words of the commands `vantile` hands to the running instance: one parser for both sides,
// and the words and answers as they travel over the socket.

#include <gtest/gtest.h>

#include "ipc/command_line.h"
#include "ipc/instance_command.h"
#include "ipc/message.h"

namespace vantile {
namespace {

using Kind = InstanceCommand::Kind;

struct ParseCase {
    std::vector<std::string> words;
    std::optional<Kind> kind; // none: refused
    std::string preset = {};
    std::optional<std::size_t> screen = {};
};

TEST(InstanceCommand, WordsAreReadOrRefusedTheSameWayOnBothSides) {
    const std::vector<ParseCase> cases = {
        {{"presets"}, Kind::presets},
        {{"use", "Halves"}, Kind::use, "Halves"},
        {{"use", "--screen", "2", "My Layout"}, Kind::use, "My Layout", 2},
        {{"use", "-x", "--screen", "02"}, Kind::use, "-x", 2},
        {{"clear"}, Kind::clear},
        {{"clear", "--screen", "12"}, Kind::clear, "", 12},
        {{"edit"}, Kind::edit},
        {{"quit"}, Kind::quit},
        {{"use"}, std::nullopt},
        {{"use", "--screen", "1"}, std::nullopt},
        {{"use", "A", "B"}, std::nullopt},
        {{"use", "A", "--screen"}, std::nullopt},
        {{"use", "A", "--screen", "0"}, std::nullopt},
        {{"use", "A", "--screen", "-1"}, std::nullopt},
        {{"use", "A", "--screen", "1.5"}, std::nullopt},
        {{"use", "A", "--screen", "9999999999"}, std::nullopt},
        {{"use", "A", "--screen", "1", "--screen", "1"}, std::nullopt},
        {{"use", "A", "--all"}, std::nullopt},
        {{"clear", "X"}, std::nullopt},
        {{"presets", "--screen", "1"}, std::nullopt},
        {{"quit", "now"}, std::nullopt},
        {{"Presets"}, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string line = ::testing::PrintToString(c.words);
        std::string error;
        const auto command = parseInstanceCommand(c.words, &error);
        ASSERT_EQ(command.has_value(), c.kind.has_value()) << line << ": " << error;
        const CommandLine commandLine = parseCommandLine(c.words);
        if (!command) {
            EXPECT_FALSE(error.empty()) << line;
            EXPECT_EQ(commandLine.kind, CommandLine::Kind::invalid) << line;
            continue;
        }
        EXPECT_EQ(command->kind, *c.kind) << line;
        EXPECT_EQ(command->preset, c.preset) << line;
        EXPECT_EQ(command->screen, c.screen) << line;
        EXPECT_EQ(commandLine.kind, CommandLine::Kind::command) << line;
        EXPECT_EQ(commandLine.commandWords, c.words) << line;
    }
    std::string error;
    EXPECT_FALSE(parseInstanceCommand({}, &error)) << "the instance gets no words from a bad peer";
}

TEST(InstanceCommand, WordsAndAnswersSurviveTheSocket) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"presets"}, {"use", "", "--screen", "2"}, {"use", "two\nlines", "x"}}) {
        const auto message =
            decodeMessage(encodeMessage({InstanceMessage::Kind::command, joinWords(words)}));
        ASSERT_TRUE(message);
        EXPECT_EQ(message->kind, InstanceMessage::Kind::command);
        EXPECT_EQ(splitWords(message->payload), words);
    }
    const auto reply = decodeReply(encodeReply({2, "vantile: no\nscreen\n"}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->exitCode, 2);
    EXPECT_EQ(reply->text, "vantile: no\nscreen\n");
    for (const char* bad : {"", "0", "x\n", "-1\n", "256\n", "1 \n", "0000\n"}) {
        EXPECT_FALSE(decodeReply(bad)) << bad;
    }
}

} // namespace
} // namespace vantile
