// The two forms the stock tools write for signed clients, read strictly and without allocation:
//  - the signature `openssl dgst -sha256 -sign` writes: the DER SEQUENCE of two INTEGERs r and s, turned into
//    the 64-byte r || s the system's verifier takes;
//  - the public key `openssl ec -pubout` writes for a P-256 key: a PEM SubjectPublicKeyInfo, turned into the
//    64-byte X || Y of its uncompressed point.
// DER is canonical, so a value has exactly one accepted encoding; anything else is refused with its reason.
// constexpr, so that the build checks the key it carries with this same code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ecdsa_verify.h"
#include "update/p256_curve.h"

namespace kv {

// A signature file is read up to this many bytes; a DER P-256 signature has at most 72.
inline constexpr std::size_t kMaxSignatureBytes = 512;
// A public key file longer than this is not one that openssl wrote for P-256.
inline constexpr std::size_t kMaxKeyPemBytes = 8192;

enum class SignatureError {
    None,
    Empty,
    TooLarge,
    NotDer,
    NonMinimal,
    TrailingBytes,
    Negative,
    Zero,
    OutOfRange
};

constexpr const char* signature_error_name(SignatureError e) {
    switch (e) {
        case SignatureError::None: return "none";
        case SignatureError::Empty: return "empty";
        case SignatureError::TooLarge: return "too large";
        case SignatureError::NotDer: return "not DER";
        case SignatureError::NonMinimal: return "non-minimal encoding";
        case SignatureError::TrailingBytes: return "trailing bytes";
        case SignatureError::Negative: return "negative integer";
        case SignatureError::Zero: return "zero integer";
        case SignatureError::OutOfRange: return "integer out of range";
    }
    return "unknown";
}

struct SignatureParse {
    SignatureError error = SignatureError::NotDer;
    P256Signature rs{};
    constexpr bool ok() const { return error == SignatureError::None; }
};

enum class KeyError {
    None,
    NotPem,
    PrivateKey,
    BadBase64,
    NotDer,
    NotEcKey,
    WrongCurve,
    NotUncompressed,
    NotOnCurve
};

struct KeyParse {
    KeyError error = KeyError::NotPem;
    P256PublicKey xy{};
    constexpr bool ok() const { return error == KeyError::None; }
};

namespace der {

constexpr std::uint8_t byte_at(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

// One element: its tag and content.
struct Element {
    std::uint8_t tag = 0;
    std::string_view content;
};

enum class ReadError { None, NotDer, NonMinimal };

// Reads the element at `pos` and moves past it. Only definite lengths in their shortest form are DER; lengths
// of more than two bytes are never needed here.
constexpr ReadError read(std::string_view in, std::size_t& pos, Element& out) {
    if (in.size() - pos < 2) return ReadError::NotDer;
    out.tag = byte_at(in, pos);
    std::size_t length = byte_at(in, pos + 1);
    pos += 2;
    if (length == 0x80 || length > 0x82) return ReadError::NotDer;
    if (length > 0x80) {
        const std::size_t digits = length - 0x80;
        if (in.size() - pos < digits) return ReadError::NotDer;
        length = 0;
        for (std::size_t i = 0; i < digits; ++i) length = length << 8 | byte_at(in, pos + i);
        pos += digits;
        if (length < 0x80 || (digits == 2 && length < 0x100)) return ReadError::NonMinimal;
    }
    if (in.size() - pos < length) return ReadError::NotDer;
    out.content = in.substr(pos, length);
    pos += length;
    return ReadError::None;
}

// The order n of P-256's group: r and s lie in [1, n-1].
inline constexpr std::uint8_t kOrder[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17,
                                            0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51};

// One INTEGER of the signature into 32 big-endian bytes at `out`.
constexpr SignatureError scalar(const Element& e, std::uint8_t* out) {
    if (e.tag != 0x02 || e.content.empty()) return SignatureError::NotDer;
    std::string_view v = e.content;
    if (byte_at(v, 0) & 0x80) return SignatureError::Negative;
    if (v.size() > 1 && byte_at(v, 0) == 0) {
        if (!(byte_at(v, 1) & 0x80)) return SignatureError::NonMinimal;
        v.remove_prefix(1);
    }
    if (v.size() > 32) return SignatureError::OutOfRange;
    for (std::size_t i = 0; i < 32; ++i) out[i] = 0;
    for (std::size_t i = 0; i < v.size(); ++i) out[32 - v.size() + i] = byte_at(v, i);
    bool zero = true;
    for (std::size_t i = 0; i < 32; ++i) zero = zero && out[i] == 0;
    if (zero) return SignatureError::Zero;
    for (std::size_t i = 0; i < 32; ++i) {
        if (out[i] != kOrder[i])
            return out[i] < kOrder[i] ? SignatureError::None : SignatureError::OutOfRange;
    }
    return SignatureError::OutOfRange;  // equal to n
}

constexpr SignatureError from_read(ReadError e) {
    return e == ReadError::NonMinimal ? SignatureError::NonMinimal : SignatureError::NotDer;
}

// Fills `rs` from the SEQUENCE { INTEGER r, INTEGER s } that is the whole of `in`.
constexpr SignatureError signature_integers(std::string_view in, std::uint8_t* rs) {
    std::size_t pos = 0;
    Element seq, r, s;
    if (ReadError e = read(in, pos, seq); e != ReadError::None) return from_read(e);
    if (seq.tag != 0x30) return SignatureError::NotDer;
    if (pos != in.size()) return SignatureError::TrailingBytes;
    std::size_t inner = 0;
    if (ReadError e = read(seq.content, inner, r); e != ReadError::None) return from_read(e);
    if (ReadError e = read(seq.content, inner, s); e != ReadError::None) return from_read(e);
    if (inner != seq.content.size()) return SignatureError::TrailingBytes;
    if (SignatureError e = scalar(r, rs); e != SignatureError::None) return e;
    return scalar(s, rs + 32);
}

}  // namespace der

constexpr SignatureParse parse_der_signature(std::string_view in) {
    SignatureParse p;
    if (in.empty()) {
        p.error = SignatureError::Empty;
    } else if (in.size() > kMaxSignatureBytes) {
        p.error = SignatureError::TooLarge;
    } else {
        p.error = der::signature_integers(in, p.rs.data());
    }
    if (!p.ok()) p.rs = {};
    return p;
}

namespace pem {

inline constexpr std::string_view kBegin = "-----BEGIN PUBLIC KEY-----";
inline constexpr std::string_view kEnd = "-----END PUBLIC KEY-----";
// The decoded key is at most this long: enough to recognise the keys of other kinds that openssl writes.
inline constexpr std::size_t kMaxDer = 2048;

// string_view::find, written out: GCC 12 cannot evaluate it at compile time on a constexpr array.
constexpr bool contains(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (text.substr(i, word.size()) == word) return true;
    }
    return false;
}

constexpr bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

constexpr int base64_value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// The text between the armour lines, where only base64 and line breaks may stand.
struct Body {
    KeyError error = KeyError::NotPem;
    std::string_view text;
};

constexpr Body armoured_body(std::string_view pem) {
    Body b;
    if (pem.size() > kMaxKeyPemBytes) return b;
    if (contains(pem, "PRIVATE KEY")) {
        b.error = KeyError::PrivateKey;
        return b;
    }
    std::size_t start = 0;
    while (start < pem.size() && is_space(pem[start])) ++start;
    std::size_t end = pem.size();
    while (end > start && is_space(pem[end - 1])) --end;
    pem = pem.substr(start, end - start);
    if (!pem.starts_with(kBegin) || !pem.ends_with(kEnd) || pem.size() < kBegin.size() + kEnd.size())
        return b;
    std::string_view body = pem.substr(kBegin.size(), pem.size() - kBegin.size() - kEnd.size());
    // Each armour line ends where a line ends.
    if (body.starts_with("\r\n")) {
        body.remove_prefix(2);
    } else if (body.starts_with("\n")) {
        body.remove_prefix(1);
    } else {
        return b;
    }
    if (!body.ends_with("\n")) return b;
    b.error = KeyError::None;
    b.text = body;
    return b;
}

// Strict base64 over lines: four characters per group, '=' only to pad the last group, unused bits zero.
// Returns the count of bytes written to `out` (at most kMaxDer), or sets `error`.
constexpr std::size_t decode(std::string_view text, char* out, KeyError& error) {
    std::size_t n = 0;
    std::uint32_t group = 0;
    int chars = 0;
    int pad = 0;
    bool ended = false;  // a padded group ends the data
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) continue;
        const int v = c == '=' ? 0 : base64_value(c);
        if (v < 0 || ended || (pad > 0 && c != '=') || (c == '=' && chars < 2)) break;
        pad += c == '=';
        group = group << 6 | static_cast<std::uint32_t>(v);
        if (++chars < 4) continue;
        const int bytes = 3 - pad;
        if ((pad == 1 && (group & 0xFF)) || (pad == 2 && (group & 0xFFFF))) break;  // bits past the data
        if (n + static_cast<std::size_t>(bytes) > kMaxDer) {
            error = KeyError::NotDer;
            return 0;
        }
        for (int k = 0; k < bytes; ++k) out[n++] = static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
        ended = pad > 0;
        group = 0;
        chars = 0;
        pad = 0;
    }
    const bool whole = i == text.size() && chars == 0 && n > 0;
    error = whole ? KeyError::None : KeyError::BadBase64;
    return whole ? n : 0;
}

inline constexpr std::string_view kEcPublicKey = "\x2A\x86\x48\xCE\x3D\x02\x01";     // 1.2.840.10045.2.1
inline constexpr std::string_view kPrime256v1 = "\x2A\x86\x48\xCE\x3D\x03\x01\x07";  // 1.2.840.10045.3.1.7

// SEQUENCE { SEQUENCE { OID ecPublicKey, OID prime256v1 }, BIT STRING { 04 X Y } }
constexpr KeyError subject_public_key(std::string_view in, P256PublicKey& xy) {
    std::size_t pos = 0;
    der::Element spki, algorithm, curve, bits;
    if (der::read(in, pos, spki) != der::ReadError::None || spki.tag != 0x30 || pos != in.size()) {
        return KeyError::NotDer;
    }
    pos = 0;
    if (der::read(spki.content, pos, algorithm) != der::ReadError::None || algorithm.tag != 0x30) {
        return KeyError::NotDer;
    }
    if (der::read(spki.content, pos, bits) != der::ReadError::None || bits.tag != 0x03 ||
        pos != spki.content.size()) {
        return KeyError::NotDer;
    }
    std::size_t at = 0;
    der::Element oid;
    if (der::read(algorithm.content, at, oid) != der::ReadError::None || oid.tag != 0x06)
        return KeyError::NotDer;
    if (oid.content != kEcPublicKey) return KeyError::NotEcKey;
    if (der::read(algorithm.content, at, curve) != der::ReadError::None || at != algorithm.content.size()) {
        return KeyError::NotDer;
    }
    if (curve.tag != 0x06 || curve.content != kPrime256v1) return KeyError::WrongCurve;
    // The BIT STRING starts with its count of unused bits, 0 for a key.
    const std::string_view point = bits.content;
    if (point.empty() || point[0] != 0) return KeyError::NotDer;
    if (point.size() < 2 || point[1] != 0x04) return KeyError::NotUncompressed;
    if (point.size() != 2 + 64) return KeyError::NotDer;
    for (std::size_t i = 0; i < 64; ++i) xy[i] = der::byte_at(point, 2 + i);
    return p256::on_curve(xy.data()) ? KeyError::None : KeyError::NotOnCurve;
}

}  // namespace pem

constexpr KeyParse parse_public_key_pem(std::string_view text) {
    KeyParse p;
    const pem::Body body = pem::armoured_body(text);
    p.error = body.error;
    std::array<char, pem::kMaxDer> der{};
    std::size_t n = 0;
    if (p.ok()) n = pem::decode(body.text, der.data(), p.error);
    if (p.ok()) p.error = pem::subject_public_key(std::string_view(der.data(), n), p.xy);
    if (!p.ok()) p.xy = {};
    return p;
}

constexpr const char* key_error_name(KeyError e) {
    switch (e) {
        case KeyError::None: return "none";
        case KeyError::NotPem: return "not a PEM public key";
        case KeyError::PrivateKey: return "a private key";
        case KeyError::BadBase64: return "bad base64";
        case KeyError::NotDer: return "not a DER public key";
        case KeyError::NotEcKey: return "not an EC key";
        case KeyError::WrongCurve: return "not on the named curve prime256v1";
        case KeyError::NotUncompressed: return "point not uncompressed";
        case KeyError::NotOnCurve: return "point not on the curve";
    }
    return "unknown";
}

}  // namespace kv
