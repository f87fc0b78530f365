// Built once per key (cmake/UpdateKey.cmake), beside the generated header that holds the key's PEM text. A
// key file that is not a P-256 public key in the form openssl writes stops the build here, with the reason.
#include "update/update_key.h"

#include "update/signature_format.h"
#include "update_key_pem.h"

namespace kv {
namespace {

constexpr bool kNoKey = deploy::kUpdateKeyPem.empty();
constexpr KeyParse kKey = parse_public_key_pem(deploy::kUpdateKeyPem);

constexpr bool refused(KeyError e) {
    return !kNoKey && kKey.error == e;
}
static_assert(!refused(KeyError::PrivateKey),
              "KV_UPDATE_PUBKEY: this is a private key; build with its public half: "
              "openssl ec -in key.pem -pubout -out pub.pem");
static_assert(
    !refused(KeyError::NotPem),
    "KV_UPDATE_PUBKEY: not a PEM public key (-----BEGIN PUBLIC KEY----- ... -----END PUBLIC KEY----- "
    "and nothing else), as openssl ec -in key.pem -pubout -out pub.pem writes it");
static_assert(!refused(KeyError::BadBase64),
              "KV_UPDATE_PUBKEY: the text between the PEM lines is not base64");
static_assert(!refused(KeyError::NotDer), "KV_UPDATE_PUBKEY: the PEM does not hold a DER public key");
static_assert(!refused(KeyError::NotEcKey),
              "KV_UPDATE_PUBKEY: not an EC key; make one with openssl ecparam -name prime256v1 -genkey");
static_assert(!refused(KeyError::WrongCurve),
              "KV_UPDATE_PUBKEY: the key is not on the named curve prime256v1 (P-256); make one with "
              "openssl ecparam -name prime256v1 -genkey");
static_assert(!refused(KeyError::NotUncompressed),
              "KV_UPDATE_PUBKEY: the key's point is compressed; write it with openssl ec -pubout "
              "(without -conv_form)");
static_assert(!refused(KeyError::NotOnCurve), "KV_UPDATE_PUBKEY: the key's point is not on the P-256 curve");

}  // namespace

std::optional<P256PublicKey> update_public_key() {
    if (kNoKey) return std::nullopt;
    return kKey.xy;
}

}  // namespace kv
