#include "tools/tool_links.h"

#include "deploy.h"

namespace kv::tools {
namespace {
std::string http(std::string_view host, std::string_view path) {
    return "http://" + std::string(host) + std::string(path);
}
}  // namespace

std::string anticheat_address() { return http(deploy::kPbHost, "/downloads/W/gui/pbsetup.zip"); }
std::string mods_page_address() { return http(deploy::kUpdateHost, "/share.php"); }
std::string directx_address() {
    return http(deploy::kDirectxHost, "/sw-search-sp/soft/75/14896/directx_9.29.952.3111.3613753789.exe");
}
std::string crash_help_address() { return http(deploy::kForumHost, "/thread-3892-1-1.html"); }
std::string update_host_address(std::string_view update_host) { return http(update_host, ""); }

std::string default_tv_page() { return http(deploy::kTvHost, "/tv"); }

std::string entertainment_address(std::string_view configured_url) {
    return configured_url.empty() ? default_tv_page() : http(configured_url, "");
}

std::string voice_chat_address() {
    return std::string("yy://pd-[sid=") + deploy::kVoiceChannel + "&subid=" + deploy::kVoiceSubchannel + "]";
}

}  // namespace kv::tools
