#!/usr/bin/env bash
# korvalen_get_scenarios.sh [--wine] KORVALEN_GET
# Runs korvalen-get (the native build, or with --wine the Windows build under Wine in the current WINEPREFIX)
# against the loopback fault server: healthy files, dropped connections, ignored and wrong ranges, short parts,
# redirects, missing files, no length, truncated bodies, a file replaced during the download. Checks every exit
# code, every downloaded file byte for byte, and that a failed download leaves no file behind.
set -uo pipefail
wine=()
if [ "${1:-}" = --wine ]; then wine=(wine); shift; fi
get=${1:?usage: korvalen_get_scenarios.sh [--wine] KORVALEN_GET}
root=$(cd "$(dirname "$0")/../.." && pwd)
server_bin=${KV_FAULT_SERVER:-$root/build/native/tests/kv-fault-server}

work=$(mktemp -d /tmp/kv-get-scenarios.XXXXXX)
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        exec 3>&-                      # the server ends when its standard input closes
        for _ in $(seq 100); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.05; done
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/input"
"$server_bin" "$work" < "$work/input" > "$work/server.log" 2>&1 &
server_pid=$!
exec 3> "$work/input"
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || { echo "the fault server did not start"; cat "$work/server.log"; exit 1; }
base="http://127.0.0.1:$(cat "$work/port")"

# The output path as the program sees it.
out_path() {
    if [ ${#wine[@]} -gt 0 ]; then printf 'Z:%s' "$1"; else printf '%s' "$1"; fi
}

failures=0
# scenario NAME URL EXPECTED_EXIT [EXPECTED_BODY_FILE]
scenario() {
    local name=$1 url=$2 want=$3 body=${4:-} out="$work/$1.out"
    rm -f "$out"
    "${wine[@]}" "$get" "$url" "$(out_path "$out")" > "$work/$name.log" 2>&1
    local got=$?
    local why=""
    if [ "$got" -ne "$want" ]; then
        why="exit $got, wanted $want"
    elif [ -n "$body" ] && ! cmp -s "$out" "$body"; then
        why="the file differs from the served one"
    elif [ -z "$body" ] && [ -e "$out" ]; then
        why="a failed download left a file"
    fi
    if [ -n "$why" ]; then
        failures=$((failures + 1))
        echo "FAIL $name: $why"
        tail -n 5 "$work/$name.log" | sed 's/^/    /'
    else
        echo "ok   $name: $(tail -n 1 "$work/$name.log")"
    fi
}

for name in plain drops no-ranges shifted-ranges short-parts empty redirect; do
    scenario "$name" "$base/$name" 0 "$work/$name.body"
done
for name in missing no-length truncated changed; do
    scenario "$name" "$base/$name" 1
done
scenario refused "https://127.0.0.1/x" 2
scenario unreachable "http://127.0.0.1:1/x" 1

echo "$failures scenario(s) failed"
[ "$failures" -eq 0 ]
