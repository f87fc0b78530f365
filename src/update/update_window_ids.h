// Control identifiers of the update window and the names the rest of the program (and the test driver) knows
// them by. Portable: no system headers.
#pragma once

#include "ui/main_window_ids.h"

namespace kv::ui {

enum UpdateControl : int {
    kUpdProgress = 2001,  // 进度条1
    kUpdUrl,              // url
    kUpdLocalCaption,     // 标签1
    kUpdLocalVersion,     // bendi_banben
    kUpdRemoteCaption,    // 标签2
    kUpdRemoteVersion,    // wangluo_banben
    kUpdHostCaption,      // 标签5
    kUpdHost,             // update_ip
    kUpdLauncherCaption,  // 标签7
    kUpdLauncherVersion,  // korvalen
    kUpdAutoCaption,      // 标签6
    kUpdAutoOn,           // 单选框1
    kUpdAutoOff,          // 单选框2
    kUpdNow,              // 按钮4
    kUpdManual,           // 按钮1
    kUpdSelfCheck,        // 按钮3
    kUpdHelpToggle,       // 选择框1
    kUpdStatusBar,        // 状态条1
    kUpdStatusLine,       // 标签3
    kUpdHelpGroup,        // 分组框1
    kUpdHelpText,         // 标签4 (in the group "说明")
    kUpdForumLink,        // 超级链接框1 (in the group "说明")
    kUpdWarning,          // 透明标签1
    kUpdPartnerLink,      // 超级链接框2
};

inline constexpr ControlName kUpdateControlNames[] = {
    {L"进度条1", kUpdProgress},      {L"url", kUpdUrl},
    {L"标签1", kUpdLocalCaption},    {L"bendi_banben", kUpdLocalVersion},
    {L"标签2", kUpdRemoteCaption},   {L"wangluo_banben", kUpdRemoteVersion},
    {L"标签5", kUpdHostCaption},     {L"update_ip", kUpdHost},
    {L"标签7", kUpdLauncherCaption}, {L"korvalen", kUpdLauncherVersion},
    {L"标签6", kUpdAutoCaption},     {L"单选框1", kUpdAutoOn},
    {L"单选框2", kUpdAutoOff},       {L"按钮4", kUpdNow},
    {L"按钮1", kUpdManual},          {L"按钮3", kUpdSelfCheck},
    {L"选择框1", kUpdHelpToggle},    {L"状态条1", kUpdStatusBar},
    {L"标签3", kUpdStatusLine},      {L"分组框1", kUpdHelpGroup},
    {L"标签4", kUpdHelpText},        {L"超级链接框1", kUpdForumLink},
    {L"透明标签1", kUpdWarning},     {L"超级链接框2", kUpdPartnerLink},
};

inline constexpr wchar_t kUpdateWindowClass[] = L"KvUpdateWindow";

}  // namespace kv::ui
