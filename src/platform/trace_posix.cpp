#include <cstdio>
#include <string>

#include "platform/trace.h"

namespace kv {

void trace_failure(std::string_view where, std::string_view what) {
    const std::string line = "korvalen: " + std::string(where) + ": " + std::string(what) + "\n";
    std::fputs(line.c_str(), stderr);
}

}  // namespace kv
