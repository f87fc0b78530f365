// libFuzzer target: the readers of signatures and public keys on arbitrary bytes. The first byte picks the
// reader (DER signature, DER key, PEM key). Besides crashes and sanitizer reports, it traps when an accepted
// input is not the one canonical encoding of what was read, or a value is out of its range.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/signature_format.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The one DER INTEGER for a 32-byte big-endian magnitude.
std::string integer(const std::uint8_t* m) {
    std::size_t skip = 0;
    while (skip < 31 && m[skip] == 0) ++skip;
    std::string content;
    if (m[skip] & 0x80) content += '\0';
    content.append(reinterpret_cast<const char*>(m + skip), 32 - skip);
    return std::string{'\x02', static_cast<char>(content.size())} + content;
}

bool below_order(const std::uint8_t* v) {
    for (std::size_t i = 0; i < 32; ++i) {
        if (v[i] != kv::der::kOrder[i]) return v[i] < kv::der::kOrder[i];
    }
    return false;
}

bool zero(const std::uint8_t* v) {
    for (std::size_t i = 0; i < 32; ++i) {
        if (v[i]) return false;
    }
    return true;
}

void signature(std::string_view in) {
    const kv::SignatureParse p = kv::parse_der_signature(in);
    if (!p.ok()) {
        check(p.rs == kv::P256Signature{});
        return;
    }
    const std::uint8_t* r = p.rs.data();
    const std::uint8_t* s = r + 32;
    check(!zero(r) && !zero(s) && below_order(r) && below_order(s));
    const std::string body = integer(r) + integer(s);
    check(in == std::string{'\x30', static_cast<char>(body.size())} + body);
}

void key_der(std::string_view in) {
    kv::P256PublicKey xy{};
    if (kv::pem::subject_public_key(in, xy) != kv::KeyError::None) return;
    check(kv::p256::on_curve(xy.data()));
    static constexpr char kPrefix[] =
        "\x30\x59\x30\x13\x06\x07\x2a\x86\x48\xce\x3d\x02\x01\x06\x08\x2a\x86\x48\xce\x3d\x03\x01\x07\x03\x42\x00\x04";
    const std::string_view prefix(kPrefix, sizeof kPrefix - 1);
    check(in.size() == prefix.size() + 64 && in.substr(0, prefix.size()) == prefix);
    check(in.substr(prefix.size()) == std::string_view(reinterpret_cast<const char*>(xy.data()), 64));
}

void key_pem(std::string_view in) {
    const kv::KeyParse p = kv::parse_public_key_pem(in);
    if (!p.ok()) {
        check(p.xy == kv::P256PublicKey{});
        return;
    }
    check(kv::p256::on_curve(p.xy.data()));
    check(in.size() <= kv::kMaxKeyPemBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
        case 0: signature(in); break;
        case 1: key_der(in); break;
        default: key_pem(in); break;
    }
    return 0;
}
