// The main window's clock line.
#pragma once

#include <string>

namespace kv {

// "2016年3月22日14时5分9秒"; trailing zero parts of the time are left out ("…14时5分", "…14时"), and at
// exactly 0:00:00 only the date is shown. Numbers without leading zeros, hours 0 to 23.
std::wstring clock_text(int year, int month, int day, int hour, int minute, int second);

}  // namespace kv
