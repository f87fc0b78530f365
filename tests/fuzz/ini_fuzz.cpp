// libFuzzer entry point of the ini target (see targets.h); built by scripts/fuzz.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::fuzz::ini(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
