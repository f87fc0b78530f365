// Whether a downloaded client is the one the community signed. With a key built in, a client is installed
// only when the signature published beside it on the update host (/ostrel/BF2.exe.sig, the DER form that
// `openssl dgst -sha256 -sign` writes) verifies over the file's exact bytes. Without a key nothing is
// checked.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ecdsa_verify.h"
#include "update/signature_format.h"

namespace kv {

// The signature's address beside the client's, "/ostrel/BF2.exe" + ".sig".
inline constexpr char kSignatureSuffix[] = ".sig";

enum class SignatureOutcome {
    NotRequired,  // the build carries no key: the client is not checked
    Valid,
    Missing,       // no signature could be fetched
    Malformed,     // the signature file is not a DER P-256 signature (see `format`)
    Mismatch,      // a well-formed signature that does not sign this file under this key
    Unverifiable,  // the file could not be read, or the system could not check (see `verify`)
};

struct SignatureCheck {
    SignatureOutcome outcome = SignatureOutcome::NotRequired;
    SignatureError format = SignatureError::None;
    VerifyResult verify = VerifyResult::Valid;
    // Whether the client may take the old one's place.
    bool accepted() const {
        return outcome == SignatureOutcome::NotRequired || outcome == SignatureOutcome::Valid;
    }
};

// `signature` is the fetched file's bytes, or nothing when it could not be fetched.
SignatureCheck check_client_signature(const std::optional<P256PublicKey>& key,
                                      const std::filesystem::path& client,
                                      const std::optional<std::string_view>& signature);

// A short English text for the update log: "valid", "not required", "missing", "malformed (trailing bytes)",
// "mismatch", "unverifiable (file unreadable)".
std::string signature_check_text(const SignatureCheck& check);

}  // namespace kv
