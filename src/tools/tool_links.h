// The web and voice-chat addresses the tools open. The hosts are the community's deployment values.
// Portable: no system headers.
#pragma once

#include <string>
#include <string_view>

namespace kv::tools {

// The utility panel's four link buttons.
std::string anticheat_address();   // PB反作弊程序
std::string mods_page_address();   // BF2模组+地图包
std::string directx_address();     // Directx 9.0c
std::string crash_help_address();  // 游戏闪退问题
// 超级链接框2: the configured update host, as it stands.
std::string update_host_address(std::string_view update_host);

// The entertainment window's default page (the partner site's live TV).
std::string default_tv_page();
// The entertainment window's page for the configured [bf2_down] url: "http://" in front of it, always; the
// default TV page when it is empty.
std::string entertainment_address(std::string_view configured_url);
// The community's channel in the voice-chat client.
std::string voice_chat_address();

}  // namespace kv::tools
