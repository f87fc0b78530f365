// The launcher's own site: where its version file, its download page and the partner page live. It is a
// deployment value, fixed at build time; the configured update host only serves the game client.
#pragma once

#include <string>

namespace kv {

// Host name (and port, when one is given) of the launcher's site.
std::string launcher_site_host();

}  // namespace kv
