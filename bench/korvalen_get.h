// korvalen-get's work, apart from how each system hands a program its arguments.
#pragma once

#include <string>
#include <vector>

// `args` without the program name, UTF-8. The result is the exit code.
int korvalen_get(const std::vector<std::string>& args);
