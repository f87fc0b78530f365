#!/usr/bin/env bash
# scripts/sign-client: a signature that openssl verifies with the public key the demo build carries (so the
# committed demo pair belongs together), nothing written for a key of another curve, usage on wrong arguments.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {  # description, command...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

printf 'MZ\0\0client\0bytes\n' > "$work/BF2.exe"
out=$("$root/scripts/sign-client" "$root/scripts/demo/demo-update-key.pem" "$work/BF2.exe")
check "signing succeeds" test $? -eq 0
check "the signature verifies with the demo build's key" \
    openssl dgst -sha256 -verify "$root/scripts/demo/demo-update-pub.pem" -signature "$work/BF2.exe.sig" "$work/BF2.exe"
check "the output names both uploads" grep -q '/ostrel/BF2.exe.sig' <<< "$out"
check "the output shows the public key the launcher must carry" \
    grep -qF "$(sed -n 2p "$root/scripts/demo/demo-update-pub.pem")" <<< "$out"

openssl ecparam -name secp384r1 -genkey -noout -out "$work/p384.pem" 2>/dev/null
printf 'other' > "$work/other.exe"
"$root/scripts/sign-client" "$work/p384.pem" "$work/other.exe" 2>/dev/null
check "a P-384 key is refused" test $? -eq 1
check "and leaves no signature" test ! -e "$work/other.exe.sig"

"$root/scripts/sign-client" "$work/BF2.exe" 2>/dev/null
check "one argument prints the usage" test $? -eq 2
exit $fail
