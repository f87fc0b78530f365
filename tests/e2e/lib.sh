# Helpers for the end-to-end tests: a throwaway game folder, the launcher started under Wine, the test driver,
# checks and screenshots. scripts/test runs each test file with its own Wine prefix (WINEPREFIX), a display
# (DISPLAY) and KV_WIN_BUILD pointing at the Windows build.
# shellcheck shell=bash
set -u
: "${KV_WIN_BUILD:?run through scripts/test}"
E2E_PASSED=0
E2E_FAILED=0
E2E_LAUNCHER_PID=""
E2E_SHOTS="${KV_SHOTS:-$KV_WIN_BUILD/../test-logs/shots}"
mkdir -p "$E2E_SHOTS"

e2e_log() { printf '  %s\n' "$*"; }

check() {  # description expected actual
    if [ "$2" == "$3" ]; then
        E2E_PASSED=$((E2E_PASSED + 1)); e2e_log "ok   $1"
    else
        E2E_FAILED=$((E2E_FAILED + 1)); e2e_log "FAIL $1"; e2e_log "     expected: [$2]"; e2e_log "     actual:   [$3]"
    fi
}

check_match() {  # description regex actual
    if [[ "$3" =~ $2 ]]; then
        E2E_PASSED=$((E2E_PASSED + 1)); e2e_log "ok   $1"
    else
        E2E_FAILED=$((E2E_FAILED + 1)); e2e_log "FAIL $1"; e2e_log "     expected to match: [$2]"; e2e_log "     actual: [$3]"
    fi
}

# Waiting on a condition instead of sleeping: polls a command until its output is the expected text (or matches
# the pattern), for at most E2E_WAIT seconds (30 unless set), and prints the last output. Status 0 when it came.
poll_for() {  # expected command...
    local want=$1 got="" deadline=$((SECONDS + ${E2E_WAIT:-30})); shift
    while :; do
        got=$("$@")
        [ "$got" == "$want" ] && { printf '%s' "$got"; return 0; }
        [ $SECONDS -ge $deadline ] && { printf '%s' "$got"; return 1; }
        sleep 0.1
    done
}
poll_match() {  # pattern command...
    local re=$1 got="" deadline=$((SECONDS + ${E2E_WAIT:-30})); shift
    while :; do
        got=$("$@")
        [[ "$got" =~ $re ]] && { printf '%s' "$got"; return 0; }
        [ $SECONDS -ge $deadline ] && { printf '%s' "$got"; return 1; }
        sleep 0.1
    done
}
check_eventually() {  # description expected command...
    local desc=$1 want=$2; shift 2
    check "$desc" "$want" "$(poll_for "$want" "$@")"
}
check_match_eventually() {  # description pattern command...
    local desc=$1 re=$2; shift 2
    check_match "$desc" "$re" "$(poll_match "$re" "$@")"
}
# Fields of the main window and of a control, for the polls above.
window_field() { field "$1" "$(drv window)"; }
control_field() { field "$2" "$(drv state "$1")"; }

e2e_finish() {
    e2e_stop_launcher
    echo "$E2E_PASSED passed, $E2E_FAILED failed"
    [ "$E2E_FAILED" -eq 0 ]
}

# A fresh game folder holding the launcher and the stand-in client; prints its path.
e2e_game_dir() {
    local name=$1 dir
    dir="$(mktemp -d "${KV_WINE_ROOT:-/tmp}/game.XXXXXX")/$name"
    mkdir -p "$dir"
    cp "$KV_WIN_BUILD/Korvalen.exe" "$KV_WIN_BUILD/tests/BF2.exe" "$dir/"
    printf '%s' "$dir"
}

# The driver; its output without carriage returns.
drv() { timeout 60 wine "$KV_WIN_BUILD/tests/kvdriver.exe" "$@" 2>/dev/null | tr -d '\r'; }

# Starts the launcher (a Windows path or a folder) and waits for its window.
e2e_start_launcher() {
    local dir=$1 exe=${2:-Korvalen.exe}
    e2e_stop_launcher
    (cd "$dir" && exec timeout 300 wine "$exe" >/dev/null 2>&1) &
    E2E_LAUNCHER_PID=$!
    drv wait 20000 >/dev/null
}

# Waits for the launcher process to end; sets E2E_EXIT to its exit code (124 on time-out). Not in a
# subshell: only this shell can collect its child's status.
e2e_wait_launcher_exit() {
    local pid=$E2E_LAUNCHER_PID i
    E2E_EXIT=124
    for i in $(seq 1 300); do
        if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; E2E_EXIT=$?; break; fi
        sleep 0.1
    done
    E2E_LAUNCHER_PID=""
}

e2e_stop_launcher() {
    [ -n "$E2E_LAUNCHER_PID" ] || return 0
    kill "$E2E_LAUNCHER_PID" 2>/dev/null
    wait "$E2E_LAUNCHER_PID" 2>/dev/null
    E2E_LAUNCHER_PID=""
    # The Windows process may outlive its Unix parent for a moment; the driver waits for the window to go.
    drv wait-gone 5000 >/dev/null || true
}

e2e_shot() { import -window root "$E2E_SHOTS/$1.png" 2>/dev/null || true; }

# A field "name=value" from a driver state line.
field() { printf '%s\n' "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# The default settings text as the launcher writes it (the hosts come from the build's deployment values).
default_config_text() {
    local h="$KV_WIN_BUILD/generated/deploy.h" ip tv
    ip=$(sed -n 's/.*kUpdateHost\[\] = "\(.*\)";/\1/p' "$h")
    tv=$(sed -n 's/.*kTvHost\[\] = "\(.*\)";/\1/p' "$h")
    printf '[ck_kg]\r\ndata=close\r\n[gg_kg]\r\ndata=close\r\n[dh_kg]\r\ndata=close\r\n[bf_X]\r\ndata=\r\n[bf_Y]\r\ndata=\r\n[bf_update]\r\ndata=close\r\n[bf2_down]\r\nip=%s\r\ntitle=Ostrel\r\nurl=%s/tv\r\n[bf2_exe]\r\nversion=UN-20160324' "$ip" "$tv"
}

# Reads one value the way a person would with an editor: the first "key=" line in the section.
ini_value() {  # file section key
    tr -d '\r' < "$1" | awk -v s="[$2]" -v k="$3" '
        /^\[/ { in_s = ($0 == s) ; next }
        in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}

screen_size() { xdpyinfo 2>/dev/null | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p'; }

# A loopback HTTP server that answers every GET with a short page and logs each request line to $1.
# Sets E2E_HTTP_PORT; stopped by e2e_stop_http (and at exit).
E2E_HTTP_PID=""
e2e_start_http() {
    local log=$1 portfile
    portfile=$(mktemp)
    python3 - "$log" "$portfile" <<'PY' &
import http.server, sys
log, portfile = sys.argv[1], sys.argv[2]
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(log, "a") as f:
            f.write(self.requestline + "\n")
        body = b"<html><body>ok</body></html>"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *a):
        pass
s = http.server.HTTPServer(("127.0.0.1", 0), H)
s.timeout = 0.5
open(portfile, "w").write(str(s.server_address[1]))
import time
deadline = time.time() + 300  # never outlives a test file
while time.time() < deadline:
    s.handle_request()
PY
    E2E_HTTP_PID=$!
    local i
    for i in $(seq 1 50); do [ -s "$portfile" ] && break; sleep 0.1; done
    E2E_HTTP_PORT=$(cat "$portfile")
    rm -f "$portfile"
}
e2e_stop_http() {
    [ -n "$E2E_HTTP_PID" ] && kill "$E2E_HTTP_PID" 2>/dev/null && wait "$E2E_HTTP_PID" 2>/dev/null
    E2E_HTTP_PID=""
}
trap e2e_stop_http EXIT
