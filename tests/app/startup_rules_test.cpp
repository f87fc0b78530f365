#include "app/startup_rules.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(Switches, OnlyExactOpenAndCloseCount) {
    EXPECT_EQ(parse_switch("open"), SwitchValue::On);
    EXPECT_EQ(parse_switch("close"), SwitchValue::Off);
    for (const char* other : {"", "Open", "OPEN", "Close", " open", "open ", "opened", "1", "\xb4\xf2\xbf\xaa"})
        EXPECT_EQ(parse_switch(other), SwitchValue::Unset) << other;
}

TEST(Resolution, StoredPairAsItStandsOrTheScreen) {
    struct Case {
        const char *w, *h;
        const char *x, *y;
    } cases[] = {
        {"1024", "", "1024", ""}, {"", "768", "", "768"}, {"1024", "768", "1024", "768"},
        {"", "", "1920", "1080"}, {"12ab", " ", "12ab", " "},
    };
    for (const auto& c : cases) {
        const auto r = resolution_texts(c.w, c.h, 1920, 1080);
        EXPECT_EQ(r.width, c.x);
        EXPECT_EQ(r.height, c.y);
    }
}

// A 1920 x 1080 screen at 150 %: the system tells a launcher that leaves scaling to it 1280 x 720, while the
// game's resolution is the display mode.
TEST(ScreenSize, TheDisplayModeWinsOverScaledMetrics) {
    const ScreenSize scaled{1280, 720};
    const ScreenSize r = game_screen_size(ScreenSize{1920, 1080}, scaled);
    EXPECT_EQ(r.width, 1920);
    EXPECT_EQ(r.height, 1080);
    // Without a display mode, or with a broken one, the metrics are all there is.
    for (const std::optional<ScreenSize>& mode :
         {std::optional<ScreenSize>(), std::optional(ScreenSize{0, 1080}),
          std::optional(ScreenSize{1920, 0})}) {
        const ScreenSize f = game_screen_size(mode, scaled);
        EXPECT_EQ(f.width, 1280);
        EXPECT_EQ(f.height, 720);
    }
}

TEST(VersionLine, ClientVersionBetweenTheFixedParts) {
    EXPECT_EQ(version_line(L"UN-20160324"), L"登录器:UN-20160324 启动器:v2.5 软件作者:Talvern");
    EXPECT_EQ(version_line(L""), L"登录器: 启动器:v2.5 软件作者:Talvern");
}

}  // namespace
}  // namespace kv
