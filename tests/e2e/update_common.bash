# Shared by the update tests (update*.sh): the loopback update host, game folders that point at it, the new
# stand-in client it offers, and the player's steps. Sourced after lib.sh.
# shellcheck shell=bash

UH_DIR=""      # the host's files: root/ (served), faults.json, requests.log
UH_PORT=""
UH_PID=""
SITE_PID=""

# Starts the update host on a free port (or on UH_PORT when it is set, to bring a stopped host back).
uh_start() {
    [ -n "$UH_DIR" ] || { UH_DIR=$(mktemp -d "${KV_WINE_ROOT:-/tmp}/host.XXXXXX"); mkdir -p "$UH_DIR/root/ostrel"; }
    rm -f "$UH_DIR/port"
    python3 "$KV_ROOT/scripts/lib/update_host.py" --root "$UH_DIR/root" --port "${UH_PORT:-0}" --bind-wait 10 \
        --port-file "$UH_DIR/port" --log "$UH_DIR/requests.log" --faults "$UH_DIR/faults.json" --lifetime 600 &
    UH_PID=$!
    local i
    for i in $(seq 1 100); do [ -s "$UH_DIR/port" ] && break; sleep 0.1; done
    UH_PORT=$(cat "$UH_DIR/port")
}
uh_stop() {
    [ -n "$UH_PID" ] || return 0
    kill "$UH_PID" 2>/dev/null; wait "$UH_PID" 2>/dev/null
    UH_PID=""
}
# The launcher's own site, on the fixed loopback address the site-test launcher was built with.
site_start() {  # root
    local addr
    addr=$(cat "$KV_WIN_BUILD/tests/site_test_host.txt")
    python3 "$KV_ROOT/scripts/lib/update_host.py" --root "$1" --bind "${addr%:*}" --port "${addr##*:}" \
        --bind-wait 120 --port-file "$1/../site-port" --lifetime 600 &
    SITE_PID=$!
    local i
    for i in $(seq 1 1300); do [ -s "$1/../site-port" ] && break; sleep 0.1; done
}
site_stop() {
    [ -n "$SITE_PID" ] || return 0
    kill "$SITE_PID" 2>/dev/null; wait "$SITE_PID" 2>/dev/null
    SITE_PID=""
}
update_cleanup() { uh_stop; site_stop; e2e_stop_http; }
trap update_cleanup EXIT

uh_faults() { printf '%s' "$1" > "$UH_DIR/faults.json.tmp" && mv "$UH_DIR/faults.json.tmp" "$UH_DIR/faults.json"; }
uh_version() { printf '%s' "$1" > "$UH_DIR/root/ostrel/ver.txt"; }
uh_requests() { cat "$UH_DIR/requests.log" 2>/dev/null; }
uh_clear_log() { : > "$UH_DIR/requests.log"; }

# The new client the host offers: the stand-in with a tail that names it, made large enough for the progress
# display to move. Its identity (what it records when started) is the version it stands for.
uh_offer_client() {  # version [padding bytes]
    { cat "$KV_WIN_BUILD/tests/BF2.exe"; head -c "${2:-3000000}" /dev/urandom; printf '\nKVID:%s\n' "$1"; } \
        > "$UH_DIR/root/ostrel/BF2.exe"
}
uh_client() { printf '%s' "$UH_DIR/root/ostrel/BF2.exe"; }

# A game folder whose settings point at the host, with automatic update switched on and a client version.
update_game_dir() {  # name local-version
    local G
    G=$(e2e_game_dir "$1")
    default_config_text | sed "s/^ip=.*\r$/ip=127.0.0.1:$UH_PORT\r/; /^\[bf_update\]/{n;s/^data=close\r$/data=open\r/}; s/^version=.*/version=$2/" \
        > "$G/BF_config.ini"
    printf '%s' "$G"
}

# The launcher's own version as the build defines it.
launcher_version() { sed -n 's/^#define KV_VERSION_TEXT "\(.*\)"$/\1/p' "$KV_WIN_BUILD/generated/version.h"; }

# The pointer on a control's centre, then a click, as a player does. The pointer comes from a corner, so
# that --sync always has a move to wait for.
click_control() {  # NAME
    local l t r b
    read -r l t r b <<< "$(drv screen-rect "$1")"
    xdotool mousemove 1 1
    xdotool mousemove --sync $(((l + r) / 2)) $(((t + b) / 2))
    sleep 0.1
    xdotool click 1
}

# Presses 更新启动器 with the pointer; the check runs at once.
press_update_start() { click_control 更新启动器; }

# Waits for a message box and answers it; prints "title|text".
answer_box() {  # ok|cancel [ms]
    local answer=msgbox-ok
    [ "$1" = cancel ] && answer=msgbox-cancel
    drv msgbox "${2:-15000}" -- "$answer" -- sleep 300 | sed '${/^ok$/d}'
}

# A stand-in client started as the player would, left running; sets STANDIN_PID.
start_standin() {  # game-dir [env...]
    local G=$1
    shift
    (cd "$G" && exec env KV_BF2_STAY=1 "$@" timeout 300 wine BF2.exe >/dev/null 2>&1) &
    STANDIN_PID=$!
}
standin_running() { kill -0 "$STANDIN_PID" 2>/dev/null && echo yes || echo no; }
wait_standin_gone() {
    local i
    for i in $(seq 1 100); do kill -0 "$STANDIN_PID" 2>/dev/null || break; sleep 0.1; done
    standin_running
}

# Waits (bounded) until the host has had a request for the client, i.e. the download has begun.
wait_download_begun() {
    local i
    for i in $(seq 1 150); do grep -q 'GET /ostrel/BF2.exe' "$UH_DIR/requests.log" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

same_file() { cmp -s "$1" "$2" && echo same || echo different; }
