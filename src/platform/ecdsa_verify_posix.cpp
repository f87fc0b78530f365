// The native build has no system cryptography to check signatures with (only the Windows launcher installs
// clients); every call says so.
#include "platform/ecdsa_verify.h"

namespace kv {

VerifyResult sha256_file(const std::filesystem::path&, Sha256Digest&) {
    return VerifyResult::Unavailable;
}

VerifyResult verify_p256_digest(const P256PublicKey&, const Sha256Digest&, const P256Signature&) {
    return VerifyResult::Unavailable;
}

VerifyResult verify_p256_file(const P256PublicKey&, const std::filesystem::path&, const P256Signature&) {
    return VerifyResult::Unavailable;
}

}  // namespace kv
