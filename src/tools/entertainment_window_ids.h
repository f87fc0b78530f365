// Control identifiers of the entertainment window and the names the test driver knows them by. Portable: no
// system headers.
#pragma once

#include "ui/main_window_ids.h"

namespace kv::tools {

enum EntertainmentControl : int {
    kPlayer = 4001,  // 播放器1
    kTvPageButton,   // T1
    kVoiceLink,      // T0
    kWaitNote,       // T4
};

inline constexpr ui::ControlName kEntertainmentControlNames[] = {
    {L"播放器1", kPlayer}, {L"T1", kTvPageButton}, {L"T0", kVoiceLink}, {L"T4", kWaitNote},
};

inline constexpr wchar_t kEntertainmentWindowClass[] = L"KvEntertainment";

}  // namespace kv::tools
