// Control identifiers of the utility panel and the names the test driver knows them by. Portable: no system
// headers.
#pragma once

#include "ui/main_window_ids.h"

namespace kv::tools {

enum UtilityControl : int {
    kDownloadsGroup = 3001,  // 分组框2
    kAnticheatButton,        // 按钮4
    kModsButton,             // 按钮2
    kDirectxButton,          // 按钮5
    kPopupNote,              // 标签1
    kFixesGroup,             // 分组框3
    kFullscreenFixButton,    // 按钮3
    kLanguageFixButton,      // 按钮1
    kCrashHelpButton,        // 按钮8
    kFolderGroup,            // 分组框1
    kScreenshotButton,       // 按钮6
    kHostLink,               // 超级链接框2
    kCreditLink,             // 超级链接框1
    kMakerLink,              // 超级链接框3
    kScriptEdit,             // 编辑框2
};

inline constexpr ui::ControlName kUtilityControlNames[] = {
    {L"分组框2", kDownloadsGroup},      {L"按钮4", kAnticheatButton},   {L"按钮2", kModsButton},
    {L"按钮5", kDirectxButton},         {L"标签1", kPopupNote},         {L"分组框3", kFixesGroup},
    {L"按钮3", kFullscreenFixButton},   {L"按钮1", kLanguageFixButton}, {L"按钮8", kCrashHelpButton},
    {L"分组框1", kFolderGroup},         {L"按钮6", kScreenshotButton},  {L"超级链接框2", kHostLink},
    {L"超级链接框1", kCreditLink},      {L"超级链接框3", kMakerLink},   {L"编辑框2", kScriptEdit},
};

inline constexpr wchar_t kUtilityPanelClass[] = L"KvUtilityPanel";

}  // namespace kv::tools
