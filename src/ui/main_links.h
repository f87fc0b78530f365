// Tip texts and link addresses of the main window.
#pragma once

#include <string>

namespace kv {

// The tip shown while the pointer moves over a control, or nullptr for controls that leave the tip alone.
const wchar_t* tip_for_control(int control_id);

std::string forum_board_address();  // home
std::string site_front_address();   // share
std::string maker_front_address();  // the version line

}  // namespace kv
