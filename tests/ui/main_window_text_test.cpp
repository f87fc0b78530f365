#include <gtest/gtest.h>

#include "ui/clock_text.h"
#include "ui/int_text.h"
#include "ui/main_links.h"
#include "ui/main_window_ids.h"

namespace kv {
namespace {

TEST(ClockText, DropsTrailingZeroPartsOfTheTime) {
    struct Case {
        int h, m, s;
        const wchar_t* expected;
    } cases[] = {
        {14, 5, 9, L"2016年3月22日14时5分9秒"}, {14, 5, 0, L"2016年3月22日14时5分"},
        {14, 0, 0, L"2016年3月22日14时"},       {0, 0, 0, L"2016年3月22日"},
        {0, 5, 9, L"2016年3月22日0时5分9秒"},   {9, 0, 0, L"2016年3月22日9时"},
        {0, 0, 1, L"2016年3月22日0时0分1秒"},   {23, 59, 0, L"2016年3月22日23时59分"},
        {0, 30, 0, L"2016年3月22日0时30分"},
    };
    for (const auto& c : cases) EXPECT_EQ(clock_text(2016, 3, 22, c.h, c.m, c.s), c.expected);
    EXPECT_EQ(clock_text(2026, 12, 1, 0, 0, 0), L"2026年12月1日");
}

TEST(IntegerEdit, FocusLossNormalisation) {
    struct Case {
        const wchar_t *typed, *shown;
    } cases[] = {
        {L"007", L"7"},    {L"01024", L"1024"}, {L"0", L""},         {L"-", L""},
        {L"", L""},        {L"-007", L"-7"},    {L"12-3", L"12"},    {L"abc", L""},
        {L"99999", L"99999"}, {L"2147483648", L"2147483647"}, {L"-99999999999", L"-2147483648"},
        {L"1280x", L"1280"}, {L"--5", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(normalize_integer_text(c.typed), c.shown) << c.typed;
}

TEST(IntegerEdit, TypedCharacters) {
    for (wchar_t c : std::wstring(L"0123456789-\b\x16")) EXPECT_TRUE(accepts_integer_char(c)) << int(c);
    for (wchar_t c : std::wstring(L"a+ .xＡ中")) EXPECT_FALSE(accepts_integer_char(c)) << int(c);
}

TEST(Tips, OnlyTheFourControlsSetATip) {
    EXPECT_STREQ(tip_for_control(ui::kHomeButton), L"您可以点击此按钮访问战地2论坛");
    EXPECT_STREQ(tip_for_control(ui::kKeyButton), L"您可以点击此按钮打开BF实用工具箱");
    EXPECT_STREQ(tip_for_control(ui::kShareButton), L"您可以点击此按钮访问战地2资源下载");
    EXPECT_STREQ(tip_for_control(ui::kTvButton), L"打开网络小黑板");
    for (int id : {ui::kWindowedCheck, ui::kBrowser, ui::kUpdateButton, ui::kTitleStrip, ui::kStartButton})
        EXPECT_EQ(tip_for_control(id), nullptr) << id;
}

TEST(Links, Addresses) {
    EXPECT_EQ(forum_board_address().substr(0, 7), "http://");
    EXPECT_EQ(forum_board_address().substr(forum_board_address().size() - 16), "/forum-68-1.html");
    EXPECT_EQ(site_front_address().substr(site_front_address().size() - 9), "/?talvern");
    EXPECT_EQ(maker_front_address().substr(maker_front_address().size() - 9), "/?talvern");
}

}  // namespace
}  // namespace kv
