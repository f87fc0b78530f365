// The launcher's site for the end-to-end tests: a loopback host (see tests/CMakeLists.txt).
#include "update/launcher_site.h"

namespace kv {

std::string launcher_site_host() {
    return KV_TEST_SITE_HOST;
}

}  // namespace kv
