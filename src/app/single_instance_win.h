// One launcher per game folder. The settings file is rewritten whole by every write, and the launcher's lock
// works only inside one process, so two launchers in one folder lose settings. A second start in the same
// folder brings the running launcher forward and ends without reading or writing anything; launchers in
// different folders run side by side.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

// Called first at start-up. True: this process is its folder's launcher and stays so until it ends. False:
// another launcher runs in this folder and was asked to come forward (or did not answer, and still owns the
// folder); this process must end at once.
bool claim_launcher_folder();

// The main window's part: true when a WM_COPYDATA from a second start names this launcher's folder.
bool is_call_for_this_folder(const COPYDATASTRUCT& data);

// A name for a folder that is the same for every path that leads to it; for the system's object names.
std::wstring folder_key(const std::wstring& folder);

}  // namespace kv
