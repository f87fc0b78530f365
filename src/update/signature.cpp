#include "update/signature.h"

namespace kv {

SignatureCheck check_client_signature(const std::optional<P256PublicKey>& key,
                                      const std::filesystem::path& client,
                                      const std::optional<std::string_view>& signature) {
    SignatureCheck check;
    if (!key) return check;
    if (!signature) {
        check.outcome = SignatureOutcome::Missing;
        return check;
    }
    const SignatureParse parsed = parse_der_signature(*signature);
    if (!parsed.ok()) {
        check.outcome = SignatureOutcome::Malformed;
        check.format = parsed.error;
        return check;
    }
    check.verify = verify_p256_file(*key, client, parsed.rs);
    switch (check.verify) {
        case VerifyResult::Valid:
            check.outcome = SignatureOutcome::Valid;
            break;
        case VerifyResult::BadSignature:
            check.outcome = SignatureOutcome::Mismatch;
            break;
        default:
            check.outcome = SignatureOutcome::Unverifiable;
            break;
    }
    return check;
}

std::string signature_check_text(const SignatureCheck& check) {
    switch (check.outcome) {
        case SignatureOutcome::NotRequired: return "not required";
        case SignatureOutcome::Valid: return "valid";
        case SignatureOutcome::Missing: return "missing";
        case SignatureOutcome::Malformed: return std::string("malformed (") + signature_error_name(check.format) + ")";
        case SignatureOutcome::Mismatch: return "mismatch";
        case SignatureOutcome::Unverifiable: return std::string("unverifiable (") + verify_result_name(check.verify) + ")";
    }
    return "unknown";
}

}  // namespace kv
