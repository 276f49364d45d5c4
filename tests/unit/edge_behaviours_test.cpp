#include <gtest/gtest.h>

#include <map>

#include "app/edge_behaviours.h"

namespace vantile {
namespace {

// Each window manager with the files it would find, and whether its edge behaviour is reported.
TEST(EdgeBehaviours, ReportedAsTheWindowManagersSettingsSayAndOnlyThen) {
    const std::string stockOpenbox = "<openbox_config><screenEdgeWarpTime>400</screenEdgeWarpTime>";
    const struct {
        const char* windowManager;
        std::map<std::string, std::string> files;
        const char* expected; // a part of the sentence; null for none
    } cases[] = {
        {"Openbox", {{"/etc/xdg/openbox/rc.xml", stockOpenbox}}, "screenEdgeWarpTime 400"},
        {"Openbox",
         {{"/c/openbox/rc.xml", "<screenEdgeWarpTime>0</screenEdgeWarpTime>"},
          {"/etc/xdg/openbox/rc.xml", stockOpenbox}},
         nullptr},
        {"Openbox", {}, nullptr},
        {"Fluxbox",
         {{"/h/.fluxbox/init", "session.screen0.toolbar.widthPercent: 100\n"}},
         "workspacewarping in /h/.fluxbox/init"},
        {"Fluxbox", {{"/h/.fluxbox/init", "session.screen0.workspaceWarping:\tFalse\n"}}, nullptr},
        {"Fluxbox",
         {{"/h/.fluxbox/init", "session.screen0.workspaceWarping: true\n"}},
         "Fluxbox switches workspaces"},
        {"i3", {{"/etc/xdg/openbox/rc.xml", stockOpenbox}}, nullptr},
    };
    for (const auto& c : cases) {
        const ConfigFolders folders{"/h", "/c", [&](const std::string& path) {
                                        const auto it = c.files.find(path);
                                        return it == c.files.end()
                                                   ? std::nullopt
                                                   : std::optional<std::string>(it->second);
                                    }};
        const auto found = competingEdgeBehaviours(c.windowManager, folders);
        if (!c.expected) {
            EXPECT_TRUE(found.empty())
                << c.windowManager << ": " << (found.empty() ? "" : found[0]);
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << c.windowManager;
        EXPECT_NE(found[0].find(c.expected), std::string::npos) << found[0];
    }
}

} // namespace
} // namespace vantile
