// The program-wide record: the settings loaded at start-up and the long-lived objects.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/downloader.h"
#include "platform/shell_win.h"

namespace kv {

struct LauncherState {
    // Settings texts (GBK, as read from BF_config.ini); empty until loaded.
    std::string StoredWidth;
    std::string StoredHeight;
    std::string LocalClientVersion;
    std::string UpdateHost;
    std::string IntroSwitch;
    std::string WindowedSwitch;
    std::string AutoUpdateSwitch;
    std::string EntertainmentUrl;
    std::string SiteTitle;
    // Written by the download thread, read by the progress timer: atomic so a tick never sees half a value.
    std::atomic<double> DownloadTotalBytes{0};

    ShellHolder ShellObject;
    ShellHolder ShortcutShell;
    std::unique_ptr<kv::DownloadTaskParams> DownloadTaskParams;
    std::unique_ptr<kv::Downloader> Downloader;
};

LauncherState& launcher_state();

// Start-up and shutdown steps.
void create_program_objects();
// The exit routine: runs once, whichever way the program ends.
void release_program_objects();
// The close button: ends the program at once with `code`, in the order of app/program_end_win.h.
[[noreturn]] void end_program(int code);

}  // namespace kv
