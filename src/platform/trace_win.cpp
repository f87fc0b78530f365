#include <windows.h>

#include <string>

#include "platform/trace.h"

namespace kv {

void trace_failure(std::string_view where, std::string_view what) {
    const std::string line = "Korvalen: " + std::string(where) + ": " + std::string(what) + "\n";
    OutputDebugStringA(line.c_str());
}

}  // namespace kv
