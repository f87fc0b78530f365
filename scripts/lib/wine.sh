# The Wine test harness: an Xvfb display, one template prefix per run (copied per test group), and helpers to
# start the launcher in a throwaway game folder. Everything started here is ended by its own id, or by
# `wineserver -k` on the harness's own prefixes.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

KV_WINE_ROOT=${KV_WINE_ROOT:-}
KV_XVFB_PID=""
KV_PREFIXES=()

kv_wine_env() {
    export WINEDEBUG=-all
    export WINEARCH=win64
    export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"
    export HOME="$KV_WINE_ROOT/home"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
    export LANG=C.UTF-8
    mkdir -p "$HOME"
}

# Starts Xvfb on a free display unless KV_USE_DISPLAY is set (then the user's DISPLAY is used).
kv_xvfb_start() {
    if [ -n "${KV_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        KV_XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$KV_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
    done
    kv_log "could not start Xvfb"
    return 1
}

KV_EXIT_HOOKS=()
kv_harness_cleanup() {
    local p h
    for h in "${KV_EXIT_HOOKS[@]}"; do $h || true; done
    for p in "${KV_PREFIXES[@]}"; do
        WINEPREFIX="$p" timeout 10 wineserver -k >/dev/null 2>&1 || true
    done
    [ -n "$KV_XVFB_PID" ] && kill "$KV_XVFB_PID" 2>/dev/null || true
    [ -n "$KV_XVFB_PID" ] && wait "$KV_XVFB_PID" 2>/dev/null || true
    if [ -n "${KV_WINE_ROOT:-}" ] && [ -z "${KV_KEEP_WINE:-}" ]; then rm -rf "$KV_WINE_ROOT"; fi
}

# Sets up the display and the template prefix. Call once per run.
kv_harness_start() {
    [ -n "$KV_WINE_ROOT" ] || KV_WINE_ROOT=$(mktemp -d /tmp/kv-wine.XXXXXX)
    export KV_WINE_ROOT
    trap kv_harness_cleanup EXIT
    kv_wine_env
    kv_xvfb_start
    local tpl="$KV_WINE_ROOT/template"
    KV_PREFIXES+=("$tpl")
    mkdir -p "$KV_WINE_ROOT/bin"
    export PATH="$KV_WINE_ROOT/bin:$PATH"
    if [ -f "$tpl/.kv-ready" ]; then return 0; fi  # a kept template from an earlier run
    rm -rf "$tpl"
    kv_log "making the template Wine prefix"
    WINEPREFIX="$tpl" timeout 120 wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$tpl" timeout 60 wineserver -w || true
    local reg=(
        "HKCU\\Software\\Wine\\X11 Driver|Managed|REG_SZ|N"
        "HKCU\\Software\\Wine\\WineBrowser|Browsers|REG_SZ|kv-browser"
        "HKCU\\Software\\Wine\\Fonts\\Replacements|SimHei|REG_SZ|WenQuanYi Micro Hei"
        "HKCU\\Software\\Wine\\Fonts\\Replacements|SimSun|REG_SZ|WenQuanYi Micro Hei"
        "HKCU\\Software\\Wine\\Fonts\\Replacements|Arial Narrow|REG_SZ|Liberation Sans Narrow"
    )
    local face
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" Arial "Segoe UI" "Liberation Sans Narrow"; do
        reg+=("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink|$face|REG_MULTI_SZ|wqy-microhei.ttc,WenQuanYi Micro Hei")
    done
    local r key name type data
    for r in "${reg[@]}"; do
        IFS='|' read -r key name type data <<< "$r"
        WINEPREFIX="$tpl" wine reg add "$key" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1 || true
    done
    WINEPREFIX="$tpl" timeout 30 wineserver -k >/dev/null 2>&1 || true
    # Folders that Wine links into the real home become plain folders.
    local d
    for d in "$tpl"/drive_c/users/*/*; do
        if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
    done
    # A stand-in browser that records the addresses handed to it.
    cat > "$KV_WINE_ROOT/bin/kv-browser" <<'SH'
#!/bin/sh
printf '%s\n' "$@" >> "${KV_BROWSER_LOG:-/dev/null}"
SH
    chmod +x "$KV_WINE_ROOT/bin/kv-browser"
    touch "$tpl/.kv-ready"
}

# Copies the template to a prefix of its own for one test group and exports WINEPREFIX.
kv_prefix() {
    local name=$1
    local p="$KV_WINE_ROOT/pfx-$name"
    rm -rf "$p"
    cp -a "$KV_WINE_ROOT/template" "$p"
    KV_PREFIXES+=("$p")
    export WINEPREFIX="$p"
}

kv_prefix_done() {
    timeout 20 wineserver -k >/dev/null 2>&1 || true
}

# The Windows path of a Linux path inside the prefix's Z: drive.
kv_winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's#/#\\#g')"; }
