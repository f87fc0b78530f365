#include "launch/launch_args.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(LaunchArguments, FourVariantsAndTheResolutionAsItStands) {
    struct Case {
        bool windowed, skip;
        const wchar_t *w, *h, *expected;
    } cases[] = {
        {true, false, L"1024", L"768", L" +menu 1 +fullscreen 0"},
        {true, true, L"1024", L"768", L" +menu 1 +restart +fullscreen 0"},
        {false, false, L"1024", L"768", L" +menu 1 +fullscreen 1 +szx 1024 +szy 768"},
        {false, true, L"1024", L"768", L" +menu 1 +restart +fullscreen 1 +szx 1024 +szy 768"},
        {true, false, L"", L"", L" +menu 1 +fullscreen 0"},  // windowed: the boxes play no part
        {false, false, L"", L"", L" +menu 1 +fullscreen 1 +szx  +szy "},
        {false, false, L" 12a", L"-", L" +menu 1 +fullscreen 1 +szx  12a +szy -"},
    };
    for (const auto& c : cases) EXPECT_EQ(launch_arguments(c.windowed, c.skip, c.w, c.h), c.expected);
}

TEST(ShellCommandLine, QuotingRules) {
    const std::wstring args = L" +menu 1 +fullscreen 0";
    struct Case {
        const wchar_t *path, *expected;
    } cases[] = {
        // A drive-letter path is always quoted; with the arguments' own blank there are two before "+menu".
        {L"D:\\Games\\BF2\\BF2.exe", L"\"D:\\Games\\BF2\\BF2.exe\"  +menu 1 +fullscreen 0"},
        {L"D:\\战地 2\\BF2.exe", L"\"D:\\战地 2\\BF2.exe\"  +menu 1 +fullscreen 0"},
        // Other paths go unquoted unless they hold a blank, which the shell would otherwise split at.
        {L"\\\\server\\bf2\\BF2.exe", L"\\\\server\\bf2\\BF2.exe  +menu 1 +fullscreen 0"},
        {L"\\\\server\\my games\\BF2.exe", L"\"\\\\server\\my games\\BF2.exe\"  +menu 1 +fullscreen 0"},
        {L"\"\\\\server\\my games\\BF2.exe\"", L"\"\\\\server\\my games\\BF2.exe\"  +menu 1 +fullscreen 0"},
        {L"", L"  +menu 1 +fullscreen 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(shell_command_line(c.path, args), c.expected) << c.path;
    EXPECT_EQ(shell_command_line(L"C:\\x.exe", L""), L"\"C:\\x.exe\"");
}

TEST(LaunchEcho, PathDirectlyFollowedByArguments) {
    EXPECT_EQ(launch_echo(L"D:\\BF2\\BF2.exe", L" +menu 1 +fullscreen 0"), L"D:\\BF2\\BF2.exe +menu 1 +fullscreen 0");
}

}  // namespace
}  // namespace kv
