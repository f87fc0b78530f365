#include "config/config.h"

#include <fstream>
#include <mutex>

#include "config/profile.h"
#include "deploy.h"
#include "platform/paths.h"

namespace kv {
namespace {
std::mutex& config_lock() {
    static std::mutex m;
    return m;
}
}  // namespace

std::filesystem::path config_path() { return launcher_file("\\BF_config.ini"); }

std::string read_setting(std::string_view section, std::string_view key) {
    std::lock_guard lock(config_lock());
    return profile_read(config_path(), section, key);
}

void write_setting(std::string_view section, std::string_view key, std::string_view value) {
    std::lock_guard lock(config_lock());
    profile_write(config_path(), section, key, value);
}

std::string default_config_text() {
    std::string t;
    t += "[ck_kg]\r\ndata=close\r\n";
    t += "[gg_kg]\r\ndata=close\r\n";
    t += "[dh_kg]\r\ndata=close\r\n";
    t += "[bf_X]\r\ndata=\r\n";
    t += "[bf_Y]\r\ndata=\r\n";
    t += "[bf_update]\r\ndata=close\r\n";
    t += "[bf2_down]\r\n";
    t += std::string("ip=") + deploy::kUpdateHost + "\r\n";
    t += "title=Ostrel\r\n";
    t += std::string("url=") + deploy::kTvHost + "/tv\r\n";
    t += "[bf2_exe]\r\n";
    t += "version=UN-20160324";
    return t;
}

void write_default_config(std::string_view text) {
    std::lock_guard lock(config_lock());
    std::ofstream out(config_path(), std::ios::binary | std::ios::trunc);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void store_windowed_switch(bool checked) { write_setting("ck_kg", "data", switch_text(checked)); }
void store_intro_switch(bool checked) { write_setting("dh_kg", "data", switch_text(checked)); }

}  // namespace kv
