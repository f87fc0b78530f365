// The system's cryptography (CNG) on signatures made by openssl: the digest of files large and small, every
// DER shape verified after conversion, and the refusals a planted client or signature must meet.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/ecdsa_verify.h"
#include "support/lib/temp_dir.h"
#include "update/signature.h"
#include "update/signature_vectors.inc"

namespace kv {
namespace {

namespace vectors = test::vectors;

std::string from_hex(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return out;
}

template <std::size_t N>
std::array<std::uint8_t, N> array_of(std::string_view hex) {
    const std::string bytes = from_hex(hex);
    std::array<std::uint8_t, N> out{};
    for (std::size_t i = 0; i < N && i < bytes.size(); ++i) out[i] = static_cast<std::uint8_t>(bytes[i]);
    return out;
}

// The large file of the vectors: byte i is (i * 7 + i / 4099) % 256.
std::string big_file() {
    std::string out(static_cast<std::size_t>(vectors::kBigSize), '\0');
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>((i * 7 + i / 4099) % 256);
    return out;
}

P256Signature rs_of(const char* der_hex) {
    const SignatureParse p = parse_der_signature(from_hex(der_hex));
    EXPECT_TRUE(p.ok());
    return p.rs;
}

class Cng : public ::testing::Test {
  protected:
    std::filesystem::path file(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        test::write_bytes(path, bytes);
        return path;
    }
    test::TempDir dir_;
    const P256PublicKey key_a_ = array_of<64>(vectors::kKeyAXY);
    const P256PublicKey key_b_ = array_of<64>(vectors::kKeyBXY);
};

TEST_F(Cng, DigestsFilesOfAnySizeAndKeepsWritersOut) {
    const struct {
        const char* name;
        std::string bytes;
        const char* sha256;
    } cases[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"message", from_hex(vectors::kMessage), vectors::kMessageSha256},
        {"several blocks", big_file(), vectors::kBigSha256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sha256Digest digest{};
        ASSERT_EQ(sha256_file(file(c.name, c.bytes), digest), VerifyResult::Valid);
        EXPECT_EQ(digest, (array_of<32>(c.sha256)));
    }

    Sha256Digest digest{};
    EXPECT_EQ(sha256_file(dir_ / "missing", digest), VerifyResult::Unreadable);
    // While another handle may write the file, its digest could describe other bytes: refused.
    const auto busy = file("busy", "abc");
    const HANDLE writer = CreateFileW(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(sha256_file(busy, digest), VerifyResult::Unreadable);
    CloseHandle(writer);
    EXPECT_EQ(sha256_file(busy, digest), VerifyResult::Valid);
}

TEST_F(Cng, VerifiesOpensslSignaturesOfEveryShape) {
    const auto message = file("BF2.exe", from_hex(vectors::kMessage));
    for (const auto& v : vectors::kSignaturesA) {
        SCOPED_TRACE(v.shape);
        EXPECT_EQ(verify_p256_file(key_a_, message, rs_of(v.der)), VerifyResult::Valid);
    }
    EXPECT_EQ(verify_p256_file(key_a_, file("big.exe", big_file()), rs_of(vectors::kBigSignatureA)),
              VerifyResult::Valid);
    EXPECT_EQ(verify_p256_file(key_b_, message, rs_of(vectors::kSignatureB)), VerifyResult::Valid);
}

TEST_F(Cng, RefusesAChangedFileAChangedSignatureAndAnotherKey) {
    const std::string message = from_hex(vectors::kMessage);
    const auto original = file("BF2.exe", message);
    const P256Signature good = rs_of(vectors::kSignaturesA[0].der);

    for (std::size_t at : {std::size_t{0}, message.size() / 2, message.size() - 1}) {
        std::string changed = message;
        changed[at] ^= 0x01;
        EXPECT_EQ(verify_p256_file(key_a_, file("changed.exe", changed), good), VerifyResult::BadSignature)
            << at;
    }
    EXPECT_EQ(verify_p256_file(key_a_, file("longer.exe", message + '\0'), good), VerifyResult::BadSignature);
    // A change past the first block of a large file.
    std::string big = big_file();
    big[big.size() - 3] ^= 0x40;
    EXPECT_EQ(verify_p256_file(key_a_, file("big.exe", big), rs_of(vectors::kBigSignatureA)),
              VerifyResult::BadSignature);

    for (std::size_t at : {std::size_t{0}, std::size_t{31}, std::size_t{32}, std::size_t{63}}) {
        P256Signature changed = good;
        changed[at] ^= 0x01;
        EXPECT_EQ(verify_p256_file(key_a_, original, changed), VerifyResult::BadSignature) << at;
    }
    EXPECT_EQ(verify_p256_file(key_a_, original, rs_of(vectors::kSignatureB)), VerifyResult::BadSignature);
    EXPECT_EQ(verify_p256_file(key_b_, original, good), VerifyResult::BadSignature);
    EXPECT_EQ(verify_p256_file(key_a_, dir_ / "missing.exe", good), VerifyResult::Unreadable);
}

TEST_F(Cng, AKeyOffTheCurveVerifiesNothing) {
    P256PublicKey off = key_a_;
    off[63] ^= 0x01;
    const VerifyResult r = verify_p256_file(off, file("BF2.exe", from_hex(vectors::kMessage)),
                                            rs_of(vectors::kSignaturesA[0].der));
    EXPECT_TRUE(r == VerifyResult::BadKey || r == VerifyResult::BadSignature) << verify_result_name(r);
}

TEST_F(Cng, ClientCheckFromFetchedBytesToOutcome) {
    const std::string message = from_hex(vectors::kMessage);
    const auto client = file("BF2_update.bak", message);
    const std::string good = from_hex(vectors::kSignaturesA[2].der);
    std::string changed = message;
    changed[7] ^= 0x20;
    std::string flipped_signature = good;
    flipped_signature[10] ^= 0x01;  // inside r: still DER, no longer the signature

    const struct {
        const char* name;
        std::filesystem::path client;
        std::optional<std::string> signature;
        SignatureOutcome outcome;
        const char* text;
    } cases[] = {
        {"signed", client, good, SignatureOutcome::Valid, "valid"},
        {"changed client", file("changed.bak", changed), good, SignatureOutcome::Mismatch, "mismatch"},
        {"changed signature", client, flipped_signature, SignatureOutcome::Mismatch, "mismatch"},
        {"another key's signature", client, from_hex(vectors::kSignatureB), SignatureOutcome::Mismatch,
         "mismatch"},
        {"no signature", client, std::nullopt, SignatureOutcome::Missing, "missing"},
        {"signature with a byte more", client, good + '\0', SignatureOutcome::Malformed,
         "malformed (trailing bytes)"},
        {"client gone", dir_ / "gone.bak", good, SignatureOutcome::Unverifiable,
         "unverifiable (file unreadable)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<std::string_view> signature;
        if (c.signature) signature = *c.signature;
        const SignatureCheck check = check_client_signature(key_a_, c.client, signature);
        EXPECT_EQ(check.outcome, c.outcome);
        EXPECT_EQ(check.accepted(), c.outcome == SignatureOutcome::Valid);
        EXPECT_EQ(signature_check_text(check), c.text);
    }
}

}  // namespace
}  // namespace kv
