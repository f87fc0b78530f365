#include <string>
#include <vector>

#include "bench/korvalen_get.h"

int main(int argc, char** argv) { return korvalen_get(std::vector<std::string>(argv + 1, argv + argc)); }
