// The public key this launcher checks clients with: KV_UPDATE_PUBKEY at build time (cmake/Deploy.cmake), or
// none, and then clients are installed unchecked. The key is read and checked when the launcher is built.
#pragma once

#include <optional>

#include "platform/ecdsa_verify.h"

namespace kv {

std::optional<P256PublicKey> update_public_key();

}  // namespace kv
