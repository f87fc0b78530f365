#include "app/launcher_state_win.h"

#include <mutex>

namespace kv {

LauncherState& launcher_state() {
    static LauncherState state;
    return state;
}

void create_program_objects() {
    LauncherState& s = launcher_state();
    s.ShellObject = ShellHolder::from_progid(L"WScript.Shell");
    s.DownloadTaskParams = std::make_unique<kv::DownloadTaskParams>();
    s.Downloader = std::make_unique<kv::Downloader>();
    s.ShortcutShell = ShellHolder::from_type_library(L"wshom.ocx", L"WshShell");
}

void release_program_objects() {
    static std::once_flag once;
    std::call_once(once, [] {
        LauncherState& s = launcher_state();
        for (std::string* text : {&s.StoredWidth, &s.StoredHeight, &s.LocalClientVersion, &s.UpdateHost,
                                  &s.IntroSwitch, &s.WindowedSwitch, &s.AutoUpdateSwitch})
            std::string().swap(*text);
        s.ShellObject.reset();
        std::string().swap(s.EntertainmentUrl);
        std::string().swap(s.SiteTitle);
        // The running task holds its own copy of the parameters, so the record can go first.
        s.DownloadTaskParams.reset();
        if (s.Downloader) {
            s.Downloader->release();
            s.Downloader.reset();
        }
        s.ShortcutShell.reset();
    });
}

}  // namespace kv
