// The words and URLs that drive a running instance: the `vantile` command line, `vantile://`
// URLs, the instance's commands, and how words and answers travel over the socket. Words are
// written joined by '|' and results as text, so that each case is one short row.

#include <gtest/gtest.h>

#include "app/url.h"
#include "app/url_command.h"
#include "ipc/command_line.h"
#include "ipc/instance_command.h"
#include "ipc/message.h"

namespace vantile {
namespace {

std::vector<std::string> words(const std::string& joined) {
    std::vector<std::string> out;
    for (std::size_t start = 0; !joined.empty() && start <= joined.size();) {
        const std::size_t end = std::min(joined.find('|', start), joined.size());
        out.push_back(joined.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string url(const char* text) {
    const auto command = parseUrlCommand(text);
    if (!command) {
        return "nothing";
    }
    return command->kind == UrlCommand::Kind::show
               ? "show"
               : "snap " + std::string(rawValue(command->action.value()));
}

TEST(UrlCommand, SnapTakesTheFirstActionItemShowIgnoresTheRestAndAnythingElseIsNothing) {
    // Scheme, path, fragment, other items, user and port are ignored; values are decoded.
    // Each case: the URL, then " => " and what it asks for.
    for (const std::string row :
         {"vantile://snap?action=leftHalf => snap leftHalf",
          "vantile://snap?action=restore => snap restore",
          "vantile://snap?foo=1&action=center&action=maximize => snap center",
          "other-scheme://snap/some/path?x&action=topLeft#frag => snap topLeft",
          "vantile://user@snap:99?action=%6CeftHalf => snap leftHalf", "vantile://show => show",
          "vantile://show/any/path?action=leftHalf&x=1 => show", "x://show#top => show"}) {
        const auto arrow = row.find(" => ");
        EXPECT_EQ(url(row.substr(0, arrow).c_str()), row.substr(arrow + 4)) << row;
    }
    for (const char* text :
         {"vantile://snap?action=LeftHalf", "vantile://snap?action=left_half",
          "vantile://snap?action=", "vantile://snap?action",
          "vantile://snap?action&action=leftHalf", "vantile://snap", "vantile://snap?",
          "vantile://snap?other=leftHalf", "vantile://Snap?action=leftHalf", "vantile://SHOW",
          "vantile://Show", "vantile://snapx?action=leftHalf", "vantile:snap?action=leftHalf",
          "vantile://snap?action=left Half", "vantile://snap?action=%zz",
          "vantile://snap?action=%4", "vantile://snap?action=leftHalf\n", "", "://"}) {
        EXPECT_EQ(url(text), "nothing") << text;
    }
    const auto parsed = parseUrl("s://h?a=1&b&c=&a=2&d=x%3Dy");
    std::string items;
    for (const auto& item : parsed->queryItems.value()) {
        items += item.name + (item.value ? "=" + *item.value : "") + ";";
    }
    EXPECT_EQ(items, "a=1;b;c=;a=2;d=x=y;") << "in order, a missing value apart from an empty one";
    EXPECT_FALSE(parseUrl("s://h")->queryItems);
    EXPECT_FALSE(parseUrl("s:/h")->host) << "no authority, no host";
}

TEST(CommandLine, SnapIsShorthandForTheSnapUrlUrlsGoAsTheyAreAndTheRestIsRefused) {
    const char* kinds[] = {"run", "help", "version", "ping", "command", "invalid"};
    for (const std::string row :
         {"snap|leftHalf => run vantile://snap?action=leftHalf",
          "vantile://snap?action=Nonsense => run vantile://snap?action=Nonsense",
          "show => run vantile://show", " => run", "--ping => ping", "x|--help => help"}) {
        const auto arrow = row.find(" => ");
        const auto command = parseCommandLine(words(row.substr(0, arrow)));
        EXPECT_EQ(kinds[static_cast<int>(command.kind)] + (command.url ? " " + *command.url : ""),
                  row.substr(arrow + 4));
        EXPECT_EQ(command.error, "") << row;
    }
    for (const char* joined :
         {"snap|LeftHalf", "snap", "snap|leftHalf|x", "jump", "--frobnicate", "--ping|snap|center",
          "show|extra", "--desktop", "--desktop|gnome"}) {
        const auto command = parseCommandLine(words(joined));
        EXPECT_EQ(command.kind, CommandLine::Kind::invalid) << joined;
        EXPECT_NE(command.error, "") << joined;
    }
    EXPECT_TRUE(parseCommandLine(words("--strict-x-errors|snap|restore")).strictXErrors);
    EXPECT_EQ(parseCommandLine(words("--desktop|kwin|show")).desktop, "kwin");
    EXPECT_NE(parseCommandLine(words("snap|sideways")).error.find("almostMaximize"),
              std::string::npos)
        << "the message lists the valid actions";
}

// The same words are read the same way by `vantile` and by the instance.
TEST(InstanceCommand, WordsAreReadOrRefusedTheSameWayOnBothSides) {
    const char* kinds[] = {"presets", "use", "clear", "edit", "quit"};
    for (const std::string row :
         {"presets => presets", "use|Halves => use 'Halves'",
          "use|--screen|2|My Layout => use 'My Layout' on 2", "use|-x|--screen|02 => use '-x' on 2",
          "clear => clear", "clear|--screen|12 => clear on 12", "edit => edit", "quit => quit"}) {
        const auto arrow = row.find(" => ");
        const std::string joined = row.substr(0, arrow);
        std::string error;
        const auto command = parseInstanceCommand(words(joined), &error);
        ASSERT_TRUE(command) << joined << ": " << error;
        EXPECT_EQ(kinds[static_cast<int>(command->kind)] +
                      (command->preset.empty() ? "" : " '" + command->preset + "'") +
                      (command->screen ? " on " + std::to_string(*command->screen) : ""),
                  row.substr(arrow + 4));
        const CommandLine line = parseCommandLine(words(joined));
        EXPECT_EQ(line.kind, CommandLine::Kind::command) << joined;
        EXPECT_EQ(line.commandWords, words(joined));
    }
    // The empty list is what a bad peer may send the instance.
    for (const char* joined :
         {"use", "use|--screen|1", "use|A|B", "use|A|--screen", "use|A|--screen|0",
          "use|A|--screen|-1", "use|A|--screen|1.5", "use|A|--screen|9999999999",
          "use|A|--screen|1|--screen|1", "use|A|--all", "clear|X", "presets|--screen|1", "quit|now",
          "Presets", ""}) {
        std::string error;
        EXPECT_FALSE(parseInstanceCommand(words(joined), &error)) << joined;
        EXPECT_NE(error, "") << joined;
        EXPECT_TRUE(!*joined || parseCommandLine(words(joined)).kind == CommandLine::Kind::invalid)
            << joined;
    }
}

TEST(InstanceMessage, WordsAndAnswersSurviveTheSocketAndDecodingIsStrict) {
    for (const char* joined : {"presets", "use||--screen|2", "use|two\nlines|x"}) {
        const auto message = decodeMessage(
            encodeMessage({InstanceMessage::Kind::command, joinWords(words(joined))}));
        ASSERT_TRUE(message);
        EXPECT_EQ(message->kind, InstanceMessage::Kind::command);
        EXPECT_EQ(splitWords(message->payload), words(joined));
    }
    for (const InstanceReply& sent :
         {InstanceReply{2, "vantile: no\nscreen\n"}, InstanceReply{0, "a\tb\n", "note\n"}}) {
        const auto reply = decodeReply(encodeReply(sent));
        ASSERT_TRUE(reply);
        EXPECT_EQ(std::tuple(reply->exitCode, reply->text, reply->notes),
                  std::tuple(sent.exitCode, sent.text, sent.notes));
    }
    for (const char* bad :
         {"", "0", "x\n", "-1\n", "256\n", "1 \n", "0000\n", "0 5\nab", "0 1x\nab"}) {
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
