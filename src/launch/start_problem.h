// Why the game client could not be started, and what the player is told. Pure functions: the Windows side
// finds the problem (before running the client, and from the error the shell raises), these name it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

enum class StartProblem {
    None,
    NoShell,       // the shell object could not be made at start-up
    PathTooLong,   // MAX_PATH characters or more: the system cannot start it
    NotFound,      // no file at the client path
    InUse,         // another program holds the file without sharing it
    AccessDenied,  // no right to read or run it
    NotProgram,    // a folder, or a file that is not a Windows program (an empty or broken download)
    Other,
};

// The longest client path the system starts is one character shorter than this.
inline constexpr std::size_t kMaxStartablePath = 260;

StartProblem path_length_problem(std::wstring_view path);
// From the first bytes of the client file: a Windows program begins with "MZ".
StartProblem program_header_problem(std::string_view first_bytes);
// From a system error code (as GetLastError gives, or the code inside an HRESULT of the Win32 facility).
StartProblem problem_of_error(std::uint32_t error);

// The message box text for a problem; `error` is shown for Other.
std::wstring start_problem_text(StartProblem problem, std::uint32_t error);

}  // namespace kv
