// The words and URLs that drive a running instance: the `vantile` command line, `vantile://`
// URLs, the instance's commands, and how words and answers travel over the socket.

#include <gtest/gtest.h>

#include "app/core/instance_command.h"
#include "app/core/url.h"
#include "app/core/url_command.h"
#include "app/ipc/command_line.h"
#include "app/ipc/message.h"

namespace vantile {
namespace {

TEST(UrlCommand, SnapTakesTheFirstActionItemShowIgnoresTheRestAndAnythingElseIsNothing) {
    using K = UrlCommand::Kind;
    const std::vector<std::tuple<const char*, K, std::optional<WindowAction>>> valid = {
        {"vantile://snap?action=leftHalf", K::snap, WindowAction::leftHalf},
        {"vantile://snap?action=restore", K::snap, WindowAction::restore},
        {"vantile://snap?foo=1&action=center&action=maximize", K::snap, WindowAction::center},
        // Scheme, path, fragment, other items, user and port are ignored; values are decoded.
        {"other-scheme://snap/some/path?x&action=topLeft#frag", K::snap, WindowAction::topLeft},
        {"vantile://user@snap:99?action=%6CeftHalf", K::snap, WindowAction::leftHalf},
        {"vantile://show", K::show, std::nullopt},
        {"vantile://show/any/path?action=leftHalf&x=1", K::show, std::nullopt},
        {"x://show#top", K::show, std::nullopt},
    };
    for (const auto& [url, kind, action] : valid) {
        const auto command = parseUrlCommand(url);
        ASSERT_TRUE(command) << url;
        EXPECT_EQ(command->kind, kind) << url;
        if (action) {
            EXPECT_EQ(command->action, *action) << url;
        }
    }
    for (const char* url : {
             "vantile://snap?action=LeftHalf",
             "vantile://snap?action=left_half",
             "vantile://snap?action=",
             "vantile://snap?action",
             "vantile://snap?action&action=leftHalf",
             "vantile://snap",
             "vantile://snap?",
             "vantile://snap?other=leftHalf",
             "vantile://Snap?action=leftHalf",
             "vantile://SHOW",
             "vantile://Show",
             "vantile://snapx?action=leftHalf",
             "vantile:snap?action=leftHalf",
             "vantile://snap?action=left Half",
             "vantile://snap?action=%zz",
             "vantile://snap?action=%4",
             "vantile://snap?action=leftHalf\n",
             "",
             "://",
         }) {
        EXPECT_FALSE(parseUrlCommand(url)) << url;
    }
}

TEST(Url, QueryItemsKeepOrderAndTellMissingValuesFromEmptyOnes) {
    const auto url = parseUrl("s://h?a=1&b&c=&a=2&d=x%3Dy");
    ASSERT_TRUE(url && url->queryItems);
    std::vector<std::pair<std::string, std::optional<std::string>>> items;
    for (const auto& item : *url->queryItems) {
        items.emplace_back(item.name, item.value);
    }
    EXPECT_EQ(items, (decltype(items){
                         {"a", "1"}, {"b", std::nullopt}, {"c", ""}, {"a", "2"}, {"d", "x=y"}}));
    EXPECT_FALSE(parseUrl("s://h")->queryItems);
    EXPECT_FALSE(parseUrl("s:/h")->host) << "no authority, no host";
}

TEST(CommandLine, SnapIsShorthandForTheSnapUrlUrlsGoAsTheyAreAndTheRestIsRefused) {
    using K = CommandLine::Kind;
    const std::vector<std::tuple<std::vector<std::string>, K, std::optional<std::string>>> cases = {
        {{"snap", "leftHalf"}, K::run, "vantile://snap?action=leftHalf"},
        {{"vantile://snap?action=Nonsense"}, K::run, "vantile://snap?action=Nonsense"},
        {{"show"}, K::run, "vantile://show"},
        {{}, K::run, std::nullopt},
        {{"--ping"}, K::ping, std::nullopt},
        {{"x", "--help"}, K::help, std::nullopt},
        {{"snap", "LeftHalf"}, K::invalid, std::nullopt},
        {{"snap"}, K::invalid, std::nullopt},
        {{"snap", "leftHalf", "x"}, K::invalid, std::nullopt},
        {{"jump"}, K::invalid, std::nullopt},
        {{"--frobnicate"}, K::invalid, std::nullopt},
        {{"--ping", "snap", "center"}, K::invalid, std::nullopt},
        {{"show", "extra"}, K::invalid, std::nullopt}};
    for (const auto& [args, kind, url] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto command = parseCommandLine(args);
        EXPECT_EQ(command.kind, kind);
        EXPECT_EQ(command.url, url);
        EXPECT_EQ(command.error.empty(), kind != K::invalid);
    }
    EXPECT_TRUE(parseCommandLine({"--strict-x-errors", "snap", "restore"}).strictXErrors);
    EXPECT_NE(parseCommandLine({"snap", "sideways"}).error.find("almostMaximize"),
              std::string::npos)
        << "the message lists the valid actions";
}

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
        {{}, std::nullopt}, // the instance gets no words from a bad peer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        std::string error;
        const auto command = parseInstanceCommand(c.words, &error);
        ASSERT_EQ(command.has_value(), c.kind.has_value()) << error;
        EXPECT_EQ(error.empty(), command.has_value());
        if (!command) {
            if (!c.words.empty()) {
                EXPECT_EQ(parseCommandLine(c.words).kind, CommandLine::Kind::invalid);
            }
            continue;
        }
        EXPECT_EQ(command->kind, *c.kind);
        EXPECT_EQ(command->preset, c.preset);
        EXPECT_EQ(command->screen, c.screen);
        EXPECT_EQ(parseCommandLine(c.words).kind, CommandLine::Kind::command);
        EXPECT_EQ(parseCommandLine(c.words).commandWords, c.words);
    }
}

TEST(InstanceMessage, WordsAndAnswersSurviveTheSocketAndDecodingIsStrict) {
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
    EXPECT_EQ(decodeMessage("url\nvantile://show")->payload, "vantile://show");
    EXPECT_EQ(decodeMessage("ping\n")->kind, InstanceMessage::Kind::ping);
    for (const char* bad : {"ping\nextra", "url", "quit\n", ""}) {
        EXPECT_FALSE(decodeMessage(bad)) << bad;
    }
}

} // namespace
} // namespace vantile
