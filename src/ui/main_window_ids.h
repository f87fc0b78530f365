// Control identifiers of the main window, and the names the rest of the program (and the test driver) knows
// them by. Portable: no system headers.
#pragma once

namespace kv::ui {

enum MainControl : int {
    kTitleStrip = 1001,   // 图片框1
    kTitleText,           // 透明标签2
    kHideButton,          // 图形按钮3
    kCloseButton,         // 图形按钮4
    kEchoEdit,            // 编辑框3
    kUpdateButton,        // H1
    kUpdateCaption,       // 透明标签6
    kShortcutButton,      // H2
    kShortcutCaption,     // 透明标签7
    kWindowedCheck,       // CKMS
    kIntroCheck,          // TGDH
    kResolutionCaption,   // 透明标签3
    kWidthEdit,           // X
    kTimesLabel,          // 透明标签4
    kHeightEdit,          // Y
    kClockEdit,           // 编辑框4
    kStartButton,         // 本地启动器
    kUpdateStartButton,   // 更新启动器
    kTvButton,            // H3
    kTipLabel,            // TT
    kBrowser,             // 超文本浏览框1
    kHomeButton,          // home
    kKeyButton,           // key
    kShareButton,         // share
    kSiteTitle,           // bfbiaoti
    kHostLabel,           // 透明标签5
    kVersionLabel,        // 版本号
    kClientPathEdit,      // 编辑框2
    kRemoteVersionEdit,   // wangluo_banben
    kDefaultConfigEdit,   // 注册表
};

struct ControlName {
    const wchar_t* name;
    int id;
};

inline constexpr ControlName kMainControlNames[] = {
    {L"图片框1", kTitleStrip},        {L"透明标签2", kTitleText},      {L"图形按钮3", kHideButton},
    {L"图形按钮4", kCloseButton},     {L"编辑框3", kEchoEdit},         {L"H1", kUpdateButton},
    {L"透明标签6", kUpdateCaption},   {L"H2", kShortcutButton},        {L"透明标签7", kShortcutCaption},
    {L"CKMS", kWindowedCheck},        {L"TGDH", kIntroCheck},          {L"透明标签3", kResolutionCaption},
    {L"X", kWidthEdit},               {L"透明标签4", kTimesLabel},     {L"Y", kHeightEdit},
    {L"编辑框4", kClockEdit},         {L"本地启动器", kStartButton},   {L"更新启动器", kUpdateStartButton},
    {L"H3", kTvButton},               {L"TT", kTipLabel},              {L"超文本浏览框1", kBrowser},
    {L"home", kHomeButton},           {L"key", kKeyButton},            {L"share", kShareButton},
    {L"bfbiaoti", kSiteTitle},        {L"透明标签5", kHostLabel},      {L"版本号", kVersionLabel},
    {L"编辑框2", kClientPathEdit},    {L"wangluo_banben", kRemoteVersionEdit}, {L"注册表", kDefaultConfigEdit},
};

inline constexpr wchar_t kMainWindowClass[] = L"Korvalen";

}  // namespace kv::ui
