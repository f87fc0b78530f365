// The pure rules of the tools: command lines, the shortcut's properties, addresses and the entertainment
// window's layout.
#include <gtest/gtest.h>

#include "deploy.h"
#include "tools/command_lines.h"
#include "tools/entertainment_layout.h"
#include "tools/shortcut_rules.h"
#include "tools/tool_links.h"

namespace kv::tools {
namespace {

TEST(CommandLines, PathsAreQuotedAsOneArgument) {
    const struct {
        const wchar_t* arg;
        const wchar_t* quoted;
    } cases[] = {
        {L"D:\\Games\\Battlefield 2\\pingmu.reg", L"\"D:\\Games\\Battlefield 2\\pingmu.reg\""},
        {L"C:\\战地 2\\pingmu.reg", L"\"C:\\战地 2\\pingmu.reg\""},
        {L"D:\\", L"\"D:\\\\\""},    // a trailing backslash must not escape the closing quote
        {L"a\\\\b", L"\"a\\\\b\""},  // inner backslashes stay as they are
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
        {L"x\\\"y", L"\"x\\\\\\\"y\""},
        {L"", L"\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(quote_argument(c.arg), c.quoted) << c.arg;
    EXPECT_EQ(editor_arguments(L"C:\\Program Files\\EA Games\\Battlefield 2\\pingmu.reg"),
              L"/s \"C:\\Program Files\\EA Games\\Battlefield 2\\pingmu.reg\"");
}

TEST(CommandLines, ScreenshotFolderBelowTheDocuments) {
    const std::wstring folder = screenshot_folder(L"C:\\Users\\玩家\\Documents\\");
    EXPECT_EQ(folder, L"C:\\Users\\玩家\\Documents\\Battlefield 2\\Screenshots");
    EXPECT_EQ(program_command_line(L"explorer.exe", quote_argument(folder)),
              L"explorer.exe \"C:\\Users\\玩家\\Documents\\Battlefield 2\\Screenshots\"");
    // Without a documents folder the command is still built, relative to the launcher's folder.
    EXPECT_EQ(screenshot_folder(L""), L"Battlefield 2\\Screenshots");
}

TEST(CommandLines, ProgramQuotedWhenItHoldsABlank) {
    EXPECT_EQ(program_command_line(L"C:\\Windows\\regedit.exe", L"/s \"x\""),
              L"C:\\Windows\\regedit.exe /s \"x\"");
    EXPECT_EQ(program_command_line(L"C:\\My Windows\\regedit.exe", L""), L"\"C:\\My Windows\\regedit.exe\"");
}

TEST(Shortcut, TargetAndWorkingDirectory) {
    EXPECT_EQ(shortcut_target(L"D:\\Games\\BF2", L"Korvalen.exe"), L"D:\\Games\\BF2\\Korvalen.exe");
    EXPECT_EQ(shortcut_target(L"D:", L"启动器.exe"), L"D:\\启动器.exe");
    const struct {
        const wchar_t* target;
        const wchar_t* dir;
    } cases[] = {
        {L"D:\\Games\\BF2\\launcher.exe", L"D:\\Games\\BF2\\"},
        {L"D:\\launcher.exe", L"D:\\"},
        {L"\\\\server\\share\\launcher.exe", L"\\\\server\\share\\"},
        {L"D:\\a\\\\b.exe", L"D:\\a\\\\"},
        {L"launcher.exe", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(shortcut_working_directory(c.target), c.dir) << c.target;
}

TEST(Shortcut, PropertiesInTheirOrder) {
    const auto props = shortcut_properties(L"D:\\启动器.exe");
    ASSERT_EQ(props.size(), 6u);
    const wchar_t* names[] = {L"WorkingDirectory", L"IconLocation", L"WindowStyle",
                              L"Description",      L"Arguments",    L"Hotkey"};
    for (std::size_t i = 0; i < props.size(); ++i) EXPECT_STREQ(props[i].name, names[i]);
    EXPECT_EQ(props[0].text, L"D:\\");
    EXPECT_EQ(props[1].text, L"D:\\启动器.exe,0");
    EXPECT_TRUE(props[2].is_number);
    EXPECT_EQ(props[2].number, 1);
    EXPECT_EQ(props[3].text, L"Powered by Talvern");
    EXPECT_EQ(props[4].text, L"");
    EXPECT_EQ(props[5].text, L"");
    for (std::size_t i : {0u, 1u, 3u, 4u, 5u}) EXPECT_FALSE(props[i].is_number) << i;
}

TEST(Addresses, LinksOnTheDeploymentHosts) {
    const std::string h = "http://";
    EXPECT_EQ(anticheat_address(), h + deploy::kPbHost + "/downloads/W/gui/pbsetup.zip");
    EXPECT_EQ(mods_page_address(), h + deploy::kUpdateHost + "/share.php");
    EXPECT_EQ(directx_address(),
              h + deploy::kDirectxHost + "/sw-search-sp/soft/75/14896/directx_9.29.952.3111.3613753789.exe");
    EXPECT_EQ(crash_help_address(), h + deploy::kForumHost + "/thread-3892-1-1.html");
    EXPECT_EQ(update_host_address("127.0.0.1:8080"), "http://127.0.0.1:8080");
    EXPECT_EQ(update_host_address(""), "http://");
    EXPECT_EQ(voice_chat_address(), std::string("yy://pd-[sid=") + deploy::kVoiceChannel +
                                        "&subid=" + deploy::kVoiceSubchannel + "]");
}

TEST(Addresses, EntertainmentPage) {
    EXPECT_EQ(default_tv_page(), std::string("http://") + deploy::kTvHost + "/tv");
    EXPECT_EQ(entertainment_address(""), default_tv_page());
    EXPECT_EQ(entertainment_address("tv.example/live?ch=1"), "http://tv.example/live?ch=1");
    // The prefix is added whatever the setting holds.
    EXPECT_EQ(entertainment_address("http://tv.example/tv"), "http://http://tv.example/tv");
    EXPECT_EQ(entertainment_address(" "), "http:// ");
}

TEST(EntertainmentLayout, BrowserAndRowForASize) {
    EXPECT_EQ(browser_box_on_create(1024, 710), (Box{0, 0, 1024, 610}));
    EXPECT_EQ(browser_box_after_resize(1024, 710), (Box{0, 0, 1024, 630}));
    EXPECT_EQ(row_top_after_resize(710), 640);
    EXPECT_EQ(browser_box_after_resize(1288, 808), (Box{0, 0, 1288, 728}));
    EXPECT_EQ(row_top_after_resize(808), 738);
    // A window squeezed below 80 pixels keeps the browser at no height and the row just below it.
    EXPECT_EQ(browser_box_after_resize(300, 50), (Box{0, 0, 300, 0}));
    EXPECT_EQ(row_top_after_resize(50), 10);
    EXPECT_EQ(browser_box_on_create(200, 90), (Box{0, 0, 200, 0}));
}

}  // namespace
}  // namespace kv::tools
