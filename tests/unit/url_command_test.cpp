#include <gtest/gtest.h>

#include "app/url.h"
#include "app/url_command.h"

namespace vantile {
namespace {

std::optional<WindowAction> snapped(const char* url) {
    const auto command = parseUrlCommand(url);
    if (!command || command->kind != UrlCommand::Kind::snap) {
        return std::nullopt;
    }
    return command->action;
}

bool shows(const char* url) {
    const auto command = parseUrlCommand(url);
    return command && command->kind == UrlCommand::Kind::show;
}

TEST(UrlCommand, SnapTakesTheFirstActionItem) {
    EXPECT_EQ(snapped("vantile://snap?action=leftHalf"), WindowAction::leftHalf);
    EXPECT_EQ(snapped("vantile://snap?action=restore"), WindowAction::restore);
    EXPECT_EQ(snapped("vantile://snap?foo=1&action=center&action=maximize"), WindowAction::center);
    EXPECT_EQ(snapped("other-scheme://snap/some/path?x&action=topLeft#frag"), WindowAction::topLeft)
        << "scheme, path, fragment and other items are ignored";
    EXPECT_EQ(snapped("vantile://user@snap:99?action=%6CeftHalf"), WindowAction::leftHalf)
        << "values are percent-decoded; user and port are ignored";
}

TEST(UrlCommand, MalformedSnapCommandsDoNothing) {
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

TEST(UrlCommand, ShowIgnoresEverythingAfterTheHost) {
    EXPECT_TRUE(shows("vantile://show"));
    EXPECT_TRUE(shows("vantile://show/any/path?action=leftHalf&x=1"));
    EXPECT_TRUE(shows("x://show#top"));
    EXPECT_FALSE(shows("vantile://Show"));
}

TEST(Url, QueryItemsKeepOrderAndTellMissingValuesFromEmptyOnes) {
    const auto url = parseUrl("s://h?a=1&b&c=&a=2&d=x%3Dy");
    ASSERT_TRUE(url && url->queryItems);
    const auto& items = *url->queryItems;
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].name, "a");
    EXPECT_EQ(items[0].value, "1");
    EXPECT_FALSE(items[1].value);
    EXPECT_EQ(items[2].value, "");
    EXPECT_EQ(items[3].value, "2");
    EXPECT_EQ(items[4].value, "x=y");
    EXPECT_FALSE(parseUrl("s://h")->queryItems);
    EXPECT_FALSE(parseUrl("s:/h")->host) << "no authority, no host";
}

} // namespace
} // namespace vantile
