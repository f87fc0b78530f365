// CNG: SHA-256 through a hash object fed in blocks, ECDSA P-256 through an imported BCRYPT_ECCPUBLIC_BLOB.
#include <windows.h>
// after windows.h, which it needs
#include <bcrypt.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/ecdsa_verify.h"

namespace kv {
namespace {

// Move-only owner of a handle with its release function.
template <class Handle, auto Release>
class Owned {
  public:
    Owned() = default;
    explicit Owned(Handle h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return h_; }
    Handle* put() {
        reset();
        return &h_;
    }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    void reset() {
        if (h_) Release(std::exchange(h_, nullptr));
    }
    Handle h_ = nullptr;
};

void close_algorithm(BCRYPT_ALG_HANDLE h) {
    BCryptCloseAlgorithmProvider(h, 0);
}
void destroy_key(BCRYPT_KEY_HANDLE h) {
    BCryptDestroyKey(h);
}
void destroy_hash(BCRYPT_HASH_HANDLE h) {
    BCryptDestroyHash(h);
}
void close_file(HANDLE h) {
    CloseHandle(h);
}

using Algorithm = Owned<BCRYPT_ALG_HANDLE, close_algorithm>;
using Key = Owned<BCRYPT_KEY_HANDLE, destroy_key>;
using Hash = Owned<BCRYPT_HASH_HANDLE, destroy_hash>;
using File = Owned<HANDLE, close_file>;

bool ok(NTSTATUS status) {
    return status >= 0;
}
constexpr NTSTATUS kInvalidSignature = static_cast<NTSTATUS>(0xC000A000L);  // STATUS_INVALID_SIGNATURE

constexpr DWORD kBlock = 1 << 20;

}  // namespace

VerifyResult sha256_file(const std::filesystem::path& file, Sha256Digest& out) {
    // Readers may share the file; writers are kept out until the digest is taken.
    const HANDLE raw = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return VerifyResult::Unreadable;
    const File f(raw);

    Algorithm algorithm;
    Hash hash;
    if (!ok(BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !ok(BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
        return VerifyResult::Failed;
    }
    std::vector<UCHAR> block(kBlock);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), block.data(), kBlock, &got, nullptr)) return VerifyResult::Unreadable;
        if (got == 0) break;
        if (!ok(BCryptHashData(hash.get(), block.data(), got, 0))) return VerifyResult::Failed;
    }
    if (!ok(BCryptFinishHash(hash.get(), out.data(), static_cast<ULONG>(out.size()), 0)))
        return VerifyResult::Failed;
    return VerifyResult::Valid;
}

VerifyResult verify_p256_digest(const P256PublicKey& key, const Sha256Digest& digest,
                                const P256Signature& signature) {
    Algorithm algorithm;
    if (!ok(BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        return VerifyResult::Failed;
    }
    // The blob is the header followed by X and Y.
    UCHAR blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, key.data(), key.size());
    Key handle;
    if (!ok(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, handle.put(), blob,
                                sizeof blob, 0))) {
        return VerifyResult::BadKey;
    }
    // The function only reads the digest and the signature; its parameters are not const.
    const NTSTATUS status =
        BCryptVerifySignature(handle.get(), nullptr, const_cast<UCHAR*>(digest.data()), digest.size(),
                              const_cast<UCHAR*>(signature.data()), signature.size(), 0);
    if (ok(status)) return VerifyResult::Valid;
    return status == kInvalidSignature ? VerifyResult::BadSignature : VerifyResult::Failed;
}

VerifyResult verify_p256_file(const P256PublicKey& key, const std::filesystem::path& file,
                              const P256Signature& signature) {
    Sha256Digest digest{};
    const VerifyResult hashed = sha256_file(file, digest);
    if (hashed != VerifyResult::Valid) return hashed;
    return verify_p256_digest(key, digest, signature);
}

}  // namespace kv
