// The utility panel's two registry fixes. Writing below HKEY_LOCAL_MACHINE needs administrator rights on
// current Windows: a fix that is denied them asks the system for elevation (the shell's prompt) and imports
// through an elevated registry editor. Every fix checks afterwards that the values are in the registry, so
// that a failure is reported as one.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string_view>

#include "tools/program_run_win.h"

namespace kv::tools {

enum class FixOutcome {
    Done,
    ScriptNotWritten,  // pingmu.reg was missing and could not be written beside the launcher
    EditorNotStarted,  // the registry editor could not be started, or its script not prepared
    Refused,           // the user declined the elevation prompt
    NotApplied,        // the writes or the import ran, but the values are not in the registry
};

// Writes one string value (REG_SZ) below HKEY_LOCAL_MACHINE, opening or creating its key; a system error
// code.
LONG write_machine_string(const wchar_t* key, const wchar_t* name, const wchar_t* data);

// What the fixes do to the system. The tests replace parts of it.
struct FixSystem {
    ProgramRunner run = run_program;
    std::function<LONG(const wchar_t* key, const wchar_t* name, const wchar_t* data)> write_string =
        write_machine_string;
    bool elevated = process_is_elevated();
    HWND owner = nullptr;  // the window elevation prompts belong to
};

// The full-screen fix: writes `built_in` to `script` only when no file is there (an existing file is used
// unchanged), then has the registry editor import it silently and waits for it to end.
FixOutcome apply_fullscreen_fix(const std::filesystem::path& script, std::string_view built_in,
                                const FixSystem& system);

// The language fix: the four values in their order, written directly, or imported elevated when the direct
// writes are denied.
FixOutcome apply_language_fix(const FixSystem& system);

struct FixMessage {
    const wchar_t* text;
    UINT icon;  // MB_ICONINFORMATION for success, MB_ICONWARNING for a failure
};
FixMessage fullscreen_fix_message(FixOutcome outcome);
FixMessage language_fix_message(FixOutcome outcome);

}  // namespace kv::tools
