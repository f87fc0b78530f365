// The signature and key formats: openssl's own output read exactly as openssl reads it, and every other form
// refused with its reason. The vectors were made by openssl (tests/update/make-signature-vectors).
#include "update/signature.h"

#include <gtest/gtest.h>

#include <string>

#include "support/lib/temp_dir.h"
#include "update/signature_format.h"
#include "update/signature_vectors.inc"
#include "update/update_key.h"

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
std::string hex_of(const std::array<std::uint8_t, N>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// DER built by hand, lengths in their shortest form.
std::string der(std::uint8_t tag, const std::string& content) {
    std::string out(1, static_cast<char>(tag));
    if (content.size() < 0x80) {
        out += static_cast<char>(content.size());
    } else if (content.size() < 0x100) {
        out += "\x81";
        out += static_cast<char>(content.size());
    } else {
        out += "\x82";
        out += static_cast<char>(content.size() >> 8);
        out += static_cast<char>(content.size() & 0xFF);
    }
    return out + content;
}

// The minimal INTEGER for a big-endian magnitude given in hex.
std::string integer(std::string_view hex) {
    std::string m = from_hex(hex);
    while (m.size() > 1 && m[0] == 0) m.erase(0, 1);
    if (static_cast<unsigned char>(m[0]) & 0x80) m.insert(0, 1, '\0');
    return der(0x02, m);
}

std::string signature(std::string_view r, std::string_view s) {
    return der(0x30, integer(r) + integer(s));
}

constexpr char kOrder[] = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551";
constexpr char kOrderMinus1[] = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632550";
constexpr char kOrderPlus1[] = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632552";
constexpr char kDemoKeyXY[] =
    "c4cc18c7ad5f53eeb78308737eed64c24b6c701fa416749aac61d8baf512cc8e"
    "722157392bd570fb623f26381a645ad36c34d9d513aafb67b4e7be60bd8416a2";

TEST(SignatureFormat, ReadsEveryShapeOpensslWrites) {
    for (const auto& v : vectors::kSignaturesA) {
        SCOPED_TRACE(v.shape);
        const std::string bytes = from_hex(v.der);
        const SignatureParse p = parse_der_signature(bytes);
        ASSERT_TRUE(p.ok()) << signature_error_name(p.error);
        EXPECT_EQ(hex_of(p.rs), v.rs);

        // DER is canonical: no prefix of a signature is one, nor the signature with anything after it.
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            EXPECT_FALSE(parse_der_signature(bytes.substr(0, n)).ok()) << n;
        }
        EXPECT_EQ(parse_der_signature(bytes + '\0').error, SignatureError::TrailingBytes);
    }
}

TEST(SignatureFormat, PadsShortIntegersAndAcceptsTheWholeRange) {
    const std::string one = "0000000000000000000000000000000000000000000000000000000000000001";
    const struct {
        std::string der;
        std::string rs;
    } cases[] = {
        {signature("01", kOrderMinus1), one + kOrderMinus1},
        {signature(kOrderMinus1, "01"), kOrderMinus1 + one},
        {signature("80", "7fff"),  // a high bit needs a leading zero; short values are padded on the left
         "0000000000000000000000000000000000000000000000000000000000000080"
         "0000000000000000000000000000000000000000000000000000000000007fff"},
    };
    for (const auto& c : cases) {
        const SignatureParse p = parse_der_signature(c.der);
        ASSERT_TRUE(p.ok()) << signature_error_name(p.error);
        EXPECT_EQ(hex_of(p.rs), c.rs);
    }
}

TEST(SignatureFormat, RefusesWhatIsNoCanonicalSignature) {
    const std::string r = integer("1234"), s = integer("5678");
    const std::string good = der(0x30, r + s);
    const struct {
        const char* name;
        std::string der;
        SignatureError error;
    } cases[] = {
        {"empty", "", SignatureError::Empty},
        {"larger than the read limit", good + std::string(kMaxSignatureBytes, '\0'),
         SignatureError::TooLarge},
        {"text", "not a signature", SignatureError::NotDer},
        {"a SET", der(0x31, r + s), SignatureError::NotDer},
        {"long length form for a short length",
         "\x30\x81" + std::string(1, static_cast<char>(r.size() + s.size())) + r + s,
         SignatureError::NonMinimal},
        {"indefinite length", "\x30\x80" + r + s + std::string(2, '\0'), SignatureError::NotDer},
        {"length past the end", good.substr(0, good.size() - 1), SignatureError::NotDer},
        {"byte after the sequence", good + '\0', SignatureError::TrailingBytes},
        {"third integer", der(0x30, r + s + integer("01")), SignatureError::TrailingBytes},
        {"one integer", der(0x30, r), SignatureError::NotDer},
        {"octet string for r", der(0x30, der(0x04, "\x12\x34") + s), SignatureError::NotDer},
        {"integer without content", der(0x30, std::string("\x02\x00", 2) + s), SignatureError::NotDer},
        {"redundant leading zero", der(0x30, der(0x02, std::string("\x00\x12", 2)) + s),
         SignatureError::NonMinimal},
        {"long length form inside", der(0x30, "\x02\x81\x02\x12\x34" + s), SignatureError::NonMinimal},
        {"negative r", der(0x30, der(0x02, "\x92\x34") + s), SignatureError::Negative},
        {"negative s", der(0x30, r + der(0x02, "\xff")), SignatureError::Negative},
        {"r zero", signature("00", "01"), SignatureError::Zero},
        {"s zero", signature("01", "00"), SignatureError::Zero},
        {"r the group order", signature(kOrder, "01"), SignatureError::OutOfRange},
        {"s the group order", signature("01", kOrder), SignatureError::OutOfRange},
        {"r past the group order", signature(kOrderPlus1, "01"), SignatureError::OutOfRange},
        {"s of 256 one bits", signature("01", std::string(64, 'f')), SignatureError::OutOfRange},
        {"r of 33 bytes", signature("01" + std::string(64, '0'), "01"), SignatureError::OutOfRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SignatureParse p = parse_der_signature(c.der);
        EXPECT_EQ(p.error, c.error) << signature_error_name(p.error);
        EXPECT_EQ(p.rs, P256Signature{});
    }
}

// A P-256 SubjectPublicKeyInfo built by hand around `point`, armoured as openssl does.
std::string base64(const std::string& bytes) {
    static const char a[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t g = 0;
        for (std::size_t k = 0; k < 3; ++k)
            g = g << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? a[(g >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

std::string armour(const std::string& der_bytes) {
    const std::string b = base64(der_bytes);
    std::string out = "-----BEGIN PUBLIC KEY-----\n";
    for (std::size_t i = 0; i < b.size(); i += 64) out += b.substr(i, 64) + "\n";
    return out + "-----END PUBLIC KEY-----\n";
}

const std::string kEcPublicKey = der(0x06, from_hex("2a8648ce3d0201"));
const std::string kPrime256v1 = der(0x06, from_hex("2a8648ce3d030107"));

std::string spki(const std::string& algorithm, const std::string& bit_string) {
    return der(0x30, der(0x30, algorithm) + der(0x03, bit_string));
}

std::string point(std::string xy_hex) {
    return std::string(1, '\0') + "\x04" + from_hex(xy_hex);
}

TEST(KeyFormat, ReadsTheKeysOpensslWrites) {
    static_assert(parse_public_key_pem(vectors::kKeyAPem).ok(), "the build reads keys at compile time");
    std::string crlf;
    for (char c : std::string(vectors::kKeyBPem)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string key_b = vectors::kKeyBPem;
    const struct {
        const char* name;
        std::string pem;
        const char* xy;
    } cases[] = {
        {"A", vectors::kKeyAPem, vectors::kKeyAXY},
        {"B", key_b, vectors::kKeyBXY},
        {"B with CR LF", crlf, vectors::kKeyBXY},
        {"B without the last line end", key_b.substr(0, key_b.size() - 1), vectors::kKeyBXY},
        {"B between blank lines", "\n\n" + key_b + "\n \n", vectors::kKeyBXY},
        {"B in one line",
         "-----BEGIN PUBLIC KEY-----\n" +
             base64(from_hex("3059301306072a8648ce3d020106082a8648ce3d030107034200"
                             "04" +
                             std::string(vectors::kKeyBXY))) +
             "\n-----END PUBLIC KEY-----\n",
         vectors::kKeyBXY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const KeyParse p = parse_public_key_pem(c.pem);
        ASSERT_TRUE(p.ok()) << key_error_name(p.error);
        EXPECT_EQ(hex_of(p.xy), c.xy);
    }
}

TEST(KeyFormat, RefusesKeysOfOtherKindsOpensslWrites) {
    const std::pair<std::string_view, KeyError> expected[] = {
        {"p384", KeyError::WrongCurve},
        {"secp256k1", KeyError::WrongCurve},
        {"explicit-curve", KeyError::WrongCurve},
        {"compressed", KeyError::NotUncompressed},
        {"hybrid", KeyError::NotUncompressed},
        {"sec1-private", KeyError::PrivateKey},
        {"pkcs8-private", KeyError::PrivateKey},
        {"ed25519", KeyError::NotEcKey},
        {"rsa", KeyError::NotEcKey},
    };
    ASSERT_EQ(std::size(expected), std::size(vectors::kRefusedKeys));
    for (const auto& key : vectors::kRefusedKeys) {
        SCOPED_TRACE(key.name);
        KeyError want = KeyError::None;
        for (const auto& [name, error] : expected) {
            if (name == key.name) want = error;
        }
        const KeyParse p = parse_public_key_pem(key.pem);
        EXPECT_EQ(p.error, want) << key_error_name(p.error);
        EXPECT_EQ(p.xy, P256PublicKey{});
    }
}

TEST(KeyFormat, RefusesDamagedArmourBase64AndStructure) {
    const std::string a = vectors::kKeyAPem;  // its base64 ends "...Gw==" (91 bytes)
    const std::string xy = vectors::kKeyAXY;
    const std::string algorithm = kEcPublicKey + kPrime256v1;
    const std::string good = spki(algorithm, point(xy));
    ASSERT_TRUE(parse_public_key_pem(armour(good)).ok());
    std::string flipped_x = xy;
    flipped_x[63] = flipped_x[63] == '0' ? '1' : '0';
    const std::string p_x =
        "ffffffff00000001000000000000000000000000ffffffffffffffffffffffff" + xy.substr(64);
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string s = a;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const struct {
        const char* name;
        std::string pem;
        KeyError error;
    } cases[] = {
        {"empty", "", KeyError::NotPem},
        {"no armour", a.substr(27, a.size() - 27 - 25), KeyError::NotPem},
        {"another label", replace("BEGIN PUBLIC", "BEGIN EC PUBLIC"), KeyError::NotPem},
        {"text before", "key:\n" + a, KeyError::NotPem},
        {"text after", a + "more\n", KeyError::NotPem},
        {"no end line", a.substr(0, a.find("-----END")), KeyError::NotPem},
        {"body on the begin line", replace("-----\nMFkw", "-----MFkw"), KeyError::NotPem},
        {"larger than a key file", a + std::string(kMaxKeyPemBytes, '\n'), KeyError::NotPem},
        {"a character outside base64", replace("MFkw", "MF*w"), KeyError::BadBase64},
        {"a blank inside a line", replace("MFkw", "MF kw"), KeyError::BadBase64},
        {"padding missing", replace("Gw==", "Gw"), KeyError::BadBase64},
        {"bits past the data", replace("Gw==", "Gx=="), KeyError::BadBase64},
        {"data after the padding", replace("Gw==\n", "Gw==\nAAAA\n"), KeyError::BadBase64},
        {"two keys", a + a, KeyError::BadBase64},
        {"first line only", a.substr(0, 27 + 65) + "-----END PUBLIC KEY-----\n", KeyError::NotDer},
        {"byte after the key", armour(good + '\0'), KeyError::NotDer},
        {"long length form", armour("\x30\x81" + good.substr(1)), KeyError::NotDer},
        {"unused bits in the bit string", armour(spki(algorithm, "\x01" + point(xy).substr(1))),
         KeyError::NotDer},
        {"point one byte short", armour(spki(algorithm, point(xy.substr(0, 126)))), KeyError::NotDer},
        {"extra element in the algorithm", armour(spki(algorithm + der(0x05, ""), point(xy))),
         KeyError::NotDer},
        {"no curve", armour(spki(kEcPublicKey + der(0x05, ""), point(xy))), KeyError::WrongCurve},
        {"x changed", armour(spki(algorithm, point(flipped_x))), KeyError::NotOnCurve},
        {"x the field prime", armour(spki(algorithm, point(p_x))), KeyError::NotOnCurve},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const KeyParse p = parse_public_key_pem(c.pem);
        EXPECT_EQ(p.error, c.error) << key_error_name(p.error);
    }
}

TEST(UpdateKey, TheTestsCarryTheDemoKey) {
    const std::optional<P256PublicKey> key = update_public_key();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(hex_of(*key), kDemoKeyXY);
}

TEST(ClientSignature, RefusalsBeforeAnyCryptography) {
    test::TempDir dir;
    const auto client = dir / "BF2_update.bak";
    test::write_bytes(client, from_hex(vectors::kMessage));
    const KeyParse key = parse_public_key_pem(vectors::kKeyAPem);
    ASSERT_TRUE(key.ok());
    const std::string good = from_hex(vectors::kSignaturesA[0].der);

    const SignatureCheck unchecked = check_client_signature(std::nullopt, client, std::nullopt);
    EXPECT_EQ(unchecked.outcome, SignatureOutcome::NotRequired);
    EXPECT_TRUE(unchecked.accepted());
    EXPECT_EQ(signature_check_text(unchecked), "not required");

    const SignatureCheck missing = check_client_signature(key.xy, client, std::nullopt);
    EXPECT_EQ(missing.outcome, SignatureOutcome::Missing);
    EXPECT_FALSE(missing.accepted());
    EXPECT_EQ(signature_check_text(missing), "missing");

    const struct {
        std::string bytes;
        SignatureError error;
        const char* text;
    } malformed[] = {
        {"", SignatureError::Empty, "malformed (empty)"},
        {good + "x", SignatureError::TrailingBytes, "malformed (trailing bytes)"},
        {std::string(4096, '\x30'), SignatureError::TooLarge, "malformed (too large)"},
        {signature(kOrder, "01"), SignatureError::OutOfRange, "malformed (integer out of range)"},
    };
    for (const auto& m : malformed) {
        const SignatureCheck c = check_client_signature(key.xy, client, m.bytes);
        EXPECT_EQ(c.outcome, SignatureOutcome::Malformed);
        EXPECT_EQ(c.format, m.error);
        EXPECT_FALSE(c.accepted());
        EXPECT_EQ(signature_check_text(c), m.text);
    }
}

}  // namespace
}  // namespace kv
