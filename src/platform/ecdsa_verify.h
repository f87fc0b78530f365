// Checking an ECDSA P-256 signature of a file's SHA-256 digest with the system's cryptography: CNG on
// Windows. The native build has no such service; there every call answers Unavailable, and nothing depends on
// it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

namespace kv {

using Sha256Digest = std::array<std::uint8_t, 32>;
using P256PublicKey = std::array<std::uint8_t, 64>;  // X || Y of the uncompressed point, big-endian
using P256Signature = std::array<std::uint8_t, 64>;  // r || s, big-endian

enum class VerifyResult {
    Valid,
    BadSignature,  // the signature does not match the digest under this key
    BadKey,        // the system refused the key
    Unreadable,    // the file could not be opened or read to its end
    Unavailable,   // no system cryptography for this on this platform
    Failed,        // any other failure of the system's functions
};

inline const char* verify_result_name(VerifyResult r) {
    switch (r) {
        case VerifyResult::Valid: return "valid";
        case VerifyResult::BadSignature: return "bad signature";
        case VerifyResult::BadKey: return "key refused";
        case VerifyResult::Unreadable: return "file unreadable";
        case VerifyResult::Unavailable: return "no system cryptography";
        case VerifyResult::Failed: return "system failure";
    }
    return "unknown";
}

// The SHA-256 of the file's bytes, read in blocks (the file may be tens of MB). Writers are kept out while it
// reads. Valid and `out` set, or Unreadable / Unavailable / Failed.
VerifyResult sha256_file(const std::filesystem::path& file, Sha256Digest& out);

// Whether `signature` signs `digest` under `key`.
VerifyResult verify_p256_digest(const P256PublicKey& key, const Sha256Digest& digest,
                                const P256Signature& signature);

// Both steps: the file's digest, then the signature over it.
VerifyResult verify_p256_file(const P256PublicKey& key, const std::filesystem::path& file,
                              const P256Signature& signature);

}  // namespace kv
