#include "ui/clock_text.h"

namespace kv {

std::wstring clock_text(int year, int month, int day, int hour, int minute, int second) {
    std::wstring t = std::to_wstring(year) + L"年" + std::to_wstring(month) + L"月" + std::to_wstring(day) + L"日";
    if (second != 0) {
        t += std::to_wstring(hour) + L"时" + std::to_wstring(minute) + L"分" + std::to_wstring(second) + L"秒";
    } else if (minute != 0) {
        t += std::to_wstring(hour) + L"时" + std::to_wstring(minute) + L"分";
    } else if (hour != 0) {
        t += std::to_wstring(hour) + L"时";
    }
    return t;
}

}  // namespace kv
