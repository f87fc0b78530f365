// Starting the outside programs of the utility panel (the registry editor, the file manager): plainly, or
// through the shell's elevation prompt when the work needs administrator rights.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kv::tools {

struct ProgramRun {
    std::wstring program;    // a full path, or a name the system searches for
    std::wstring arguments;  // quoted as they must arrive
    bool elevated = false;   // ask the system for administrator rights (the shell's "runas" prompt)
    bool wait = true;        // until the program ends; otherwise until it is ready for input, 1 s at most
    HWND owner = nullptr;    // the window an elevation prompt belongs to
};

enum class RunOutcome {
    Ended,     // waited for: ended, exit_code holds its exit code
    Started,   // not waited for
    Refused,   // the user declined the elevation prompt
    Failed,    // could not be started; error holds the system's error code
    TimedOut,  // still running when the wait gave up
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Failed;
    DWORD error = 0;
    DWORD exit_code = 0;
};

// Starts the program with a normal, activated window, no inherited handles, the launcher's environment and
// current directory. A plain start that the system refuses because the program asks for administrator
// rights is repeated through the elevation prompt. A wait gives up after two minutes.
RunResult run_program(const ProgramRun& run);

using ProgramRunner = std::function<RunResult(const ProgramRun&)>;

// Whether this process already holds administrator rights (on current Windows: was started elevated).
bool process_is_elevated();

// A program of the Windows folder by its full path, such as C:\Windows\regedit.exe: never a file of the same
// name that happens to lie in the game folder, where the system's search would look first.
std::wstring windows_folder_program(const wchar_t* name);

}  // namespace kv::tools
