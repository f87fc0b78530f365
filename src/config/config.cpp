#include "config/config.h"

#include <mutex>

#include "config/profile.h"
#include "deploy.h"
#include "platform/paths.h"

namespace kv {
namespace {
// One lock around every access to the file and to the refused path.
std::mutex& config_lock() {
    static std::mutex m;
    return m;
}

// The settings file found unreadable at start-up; empty while writes are allowed.
std::filesystem::path& refused_path() {
    static std::filesystem::path p;
    return p;
}

// Callers hold the lock.
bool refused(const std::filesystem::path& file) {
    return !refused_path().empty() && refused_path() == file;
}
}  // namespace

std::filesystem::path config_path() { return launcher_file("\\BF_config.ini"); }

std::string read_setting(std::string_view section, std::string_view key) {
    std::lock_guard lock(config_lock());
    return profile_read(config_path(), section, key);
}

void write_setting(std::string_view section, std::string_view key, std::string_view value) {
    std::lock_guard lock(config_lock());
    const auto file = config_path();
    if (refused(file)) return;
    profile_write(file, section, key, value);
}

bool is_blank_settings_text(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

SettingsAtStart check_settings_at_start() {
    std::lock_guard lock(config_lock());
    const auto file = config_path();
    const FileBytes found = file_read(file);
    switch (found.status) {
        case FileBytes::Status::Missing:
            return SettingsAtStart::FirstStart;
        case FileBytes::Status::Read:
            return is_blank_settings_text(found.bytes) ? SettingsAtStart::FirstStart : SettingsAtStart::Load;
        case FileBytes::Status::Unreadable:
            break;
    }
    refused_path() = file;
    return SettingsAtStart::Unreadable;
}

bool settings_writes_refused() {
    std::lock_guard lock(config_lock());
    return refused(config_path());
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
    const auto file = config_path();
    if (refused(file)) return;
    file_replace(file, text);
}

void store_windowed_switch(bool checked) { write_setting("ck_kg", "data", switch_text(checked)); }
void store_intro_switch(bool checked) { write_setting("dh_kg", "data", switch_text(checked)); }

}  // namespace kv
