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

TEST(VersionLine, ClientVersionBetweenTheFixedParts) {
    EXPECT_EQ(version_line(L"UN-20160324"), L"登录器:UN-20160324 启动器:v2.5 软件作者:Talvern");
    EXPECT_EQ(version_line(L""), L"登录器: 启动器:v2.5 软件作者:Talvern");
}

}  // namespace
}  // namespace kv
