#include "update/update_rules.h"

#include <gtest/gtest.h>

#include "platform/http_fetch.h"

namespace kv {
namespace {

TEST(SizeText, KilobytesRoundedToTwoDecimalsWithoutTrailingZeros) {
    struct Case {
        std::int64_t bytes;
        const char* shown;
    } cases[] = {
        {0, "0"},
        {5, "0"},
        {512, "0.5"},
        {1000, "0.98"},
        {1536, "1.5"},
        {2048, "2"},
        {5242880, "5120"},
        {20000, "19.53"},
        {5000, "4.88"},
        {10, "0.01"},
        {1023, "1"},
        {1034, "1.01"},
        {2147483647, "2097152"},
        {5120000000000, "5000000000"},
        // 0.125 KB lies exactly half-way and rounds away from zero.
        {128, "0.13"},
        {-512, "-0.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(size_text(c.bytes), c.shown) << c.bytes;
}

TEST(ProgressPercent, CutTowardZeroAndClampedToTheBar) {
    struct Case {
        double done, total;
        int percent;
    } cases[] = {
        {5000, 20000, 25}, {19999, 20000, 99}, {20000, 20000, 100}, {0, 20000, 0},       {0, 0, 0},
        {5000, 0, 0},      {1, 3, 33},         {2, 3, 66},          {30000, 20000, 100},  // more than
                                                                                          // announced: the
                                                                                          // bar clamps
        {-5, 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(progress_percent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

TEST(FirstArgument, BlanksSeparateAndQuotesHoldBlanks) {
    struct Case {
        const wchar_t* line;
        const wchar_t* first;  // nullptr: no argument
    } cases[] = {
        {L"Korvalen.exe", nullptr},
        {L"Korvalen.exe   ", nullptr},
        {L"\"C:\\Games\\BF 2\\Korvalen.exe\"", nullptr},
        {L"Korvalen.exe http://x/a.exe \"second one\"", L"http://x/a.exe"},
        {L"\"C:\\Games\\BF 2\\Korvalen.exe\" \"with a blank\" other", L"with a blank"},
        {L"Korvalen.exe\tone", L"one"},
        {L"Korvalen.exe \"\" two", L""},
        {L"Korvalen.exe ab\"c d\"e f", L"abc de"},
        {L"Korvalen.exe \"unclosed quote", L"unclosed quote"},
        {L"Korvalen.exe 地址", L"地址"},
    };
    for (const auto& c : cases) {
        const auto got = first_argument(c.line);
        if (!c.first) {
            EXPECT_FALSE(got.has_value()) << "line: " << testing::PrintToString(std::wstring(c.line));
        } else {
            ASSERT_TRUE(got.has_value()) << testing::PrintToString(std::wstring(c.line));
            EXPECT_EQ(*got, c.first);
        }
    }
}

TEST(VersionCompare, ByteForByte) {
    struct Case {
        std::string local, remote;
        VersionCheck result;
    } cases[] = {
        {"UN-20160324", "UN-20160324", VersionCheck::Equal},
        {"", "", VersionCheck::Equal},  // unset on both sides: no update is asked for
        {"UN-20160324", "", VersionCheck::RemoteEmpty},
        {"UN-20160324", "un-20160324", VersionCheck::Different},
        {"un-20160324", "UN-20160324", VersionCheck::Different},
        {"UN-20160324", "UN-20160324 ", VersionCheck::Different},
        {"UN-20160324", "UN-20160324\r\n", VersionCheck::Different},
        {"UN-20170101", "UN-20160324", VersionCheck::Different},  // an older remote version too
        {"", "UN-20160324", VersionCheck::Different},
        {"版本\xB0", "版本\xB1", VersionCheck::Different},
        {"<html>404</html>", "<html>404</html>", VersionCheck::Equal},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compare_versions(c.local, c.remote), c.result) << c.local << "|" << c.remote;
}

TEST(VersionText, TheBodyUpToItsFirstNul) {
    using namespace std::string_literals;
    EXPECT_EQ(text_before_nul("UN-2\0junk"s), "UN-2");
    EXPECT_EQ(text_before_nul("\0UN-2"s), "");
    EXPECT_EQ(text_before_nul("UN-20160324"), "UN-20160324");
    EXPECT_EQ(text_before_nul(""), "");
    EXPECT_EQ(url_without_fragment("http://h/ostrel/ver.txt#top"), "http://h/ostrel/ver.txt");
    EXPECT_EQ(url_without_fragment("http://h/a#b#c"), "http://h/a");
    EXPECT_EQ(url_without_fragment("#x"), "");
    EXPECT_EQ(url_without_fragment("http://h/a"), "http://h/a");
}

TEST(ExecutableName, AsciiLettersWithoutCaseGbkCharactersAsTheyAre) {
    struct Case {
        std::string a, b;
        bool same;
    } cases[] = {
        {"BF2.exe", "bf2.EXE", true},
        {"BF2.exe", "BF2.exe", true},
        {"BF2.exe", "BF2.ex", false},
        {"BF2.exe", "BF2.exe ", false},
        {"BF2.exe", "BF3.exe", false},
        // GBK: 0x81 0x41 and 0x81 0x61 are two different characters whose second bytes look like A and a.
        {"\x81\x41.exe", "\x81\x61.exe", false},
        {"\x81\x41.EXE", "\x81\x41.exe", true},
        {"\xD5\xBD\xB5\xD8.exe", "\xD5\xBD\xB5\xD8.EXE", true},  // 战地
    };
    for (const auto& c : cases) EXPECT_EQ(same_executable_name(c.a, c.b), c.same) << c.a << " vs " << c.b;
}

}  // namespace
}  // namespace kv
