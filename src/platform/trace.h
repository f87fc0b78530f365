// A trace of failures that the program survives but must not hide: an exception stopped at a thread entry, a
// window procedure or a COM callback. The Windows build writes to the debugger output (DebugView, a debugger);
// the native build to standard error.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// One line: where it happened and what it was.
void trace_failure(std::string_view where, std::string_view what);

// The text of the exception being handled (call it inside a catch block): what() of a std::exception, or a
// fixed text for anything else.
std::string current_exception_text();

}  // namespace kv
