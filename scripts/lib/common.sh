# Shared by the scripts: paths, quiet idempotent package installs, logging.
# shellcheck shell=bash
KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export KV_ROOT

kv_log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Installs the Debian packages that are missing, quietly, without prompting.
kv_ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    kv_log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    if ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null 2>&1; then
        $sudo apt-get update -qq >/dev/null 2>&1
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
    fi
}

# What building both targets needs.
KV_BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest g++-mingw-w64-x86-64-posix
                   binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
# What scripts/sign-client (and its test) needs.
KV_SIGN_PACKAGES=(openssl)
# What running the Windows side under Wine, headless, needs.
KV_WINE_PACKAGES=(wine64 wine xvfb xdotool imagemagick fonts-wqy-microhei x11-utils python3 procps)
