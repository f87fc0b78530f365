#!/usr/bin/env bash
# The game launch: the four option variants reach the stand-in client with the exact command line, in the
# launcher's folder; the echo line, the hidden window and the tray icon; a missing client; a folder whose name
# has blanks and Chinese characters; no shell object. Starts that fail for other reasons are in settings.sh.
source "$(dirname "$0")/lib.sh"

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's#/#\\#g')"; }

# Waits for the stand-in client's whole record and prints its command line (exactly) and working directory.
client_record() {  # game dir
    poll_match 'cwd=' cat "$1/bf2_stub.log" 2>/dev/null >/dev/null
    cat "$1/bf2_stub.log" 2>/dev/null
}
# How many stand-in clients run. With KV_BF2_STAY=1 a client that was started is still there to count: the
# shell has created the process by the time a click's work is done.
clients() { drv processes BF2.exe; }

launch_case() {  # name windowed(0/1) skip_intro(0/1) width height expected-arguments
    local name=$1 windowed=$2 intro=$3 width=$4 height=$5 args=$6
    echo "launch: $name"
    local G P
    G=$(e2e_game_dir "$name")
    default_config_text > "$G/BF_config.ini"
    P="$(winpath "$G")\\BF2.exe"
    e2e_start_launcher "$G"
    [ "$windowed" = 1 ] && drv click CKMS >/dev/null
    [ "$intro" = 1 ] && drv click TGDH >/dev/null
    drv set X "$width" -- set Y "$height" >/dev/null
    drv click 本地启动器 >/dev/null
    local rec
    rec=$(client_record "$G")
    check "$name: command line" "cmdline=\"$P\" $args" "$(printf '%s\n' "$rec" | sed -n 's/^cmdline=//p' | head -1 | sed 's/^/cmdline=/')"
    check "$name: started in the launcher's folder" "cwd=$(winpath "$G")" "$(printf '%s\n' "$rec" | grep '^cwd=' | head -1)"
    check "$name: echo line" "$P$args" "$(drv get 编辑框3)"
    check "$name: window hidden" "0" "$(field visible "$(drv window)")"
    check "$name: tray icon stays" "present=1" "$(drv tray)"
    check "$name: client started once" "1" "$(grep -c '^cmdline=' "$G/bf2_stub.log")"
    e2e_stop_launcher
}

launch_case windowed 1 0 1024 768 " +menu 1 +fullscreen 0"
launch_case windowed-skip 1 1 1024 768 " +menu 1 +restart +fullscreen 0"
launch_case fullscreen 0 0 1024 768 " +menu 1 +fullscreen 1 +szx 1024 +szy 768"
launch_case fullscreen-skip 0 1 1024 768 " +menu 1 +restart +fullscreen 1 +szx 1024 +szy 768"
launch_case fullscreen-empty 0 0 "" "" " +menu 1 +fullscreen 1 +szx  +szy "
launch_case windowed-empty 1 0 "" "" " +menu 1 +fullscreen 0"

echo "launch: non-numeric stored resolution passes as it stands"
G=$(e2e_game_dir stored)
default_config_text | sed 's/^\[bf_X\]\r$/[bf_X]\r/; /^\[bf_X\]/{n;s/^data=\r$/data=1280x\r/}' > "$G/BF_config.ini"
e2e_start_launcher "$G"
check "stored width shown as it stands" "1280x|" "$(drv get X)|$(drv get Y)"
drv click 本地启动器 >/dev/null
rec=$(client_record "$G")
check "stored texts reach the client" "cmdline=\"$(winpath "$G")\\BF2.exe\"  +menu 1 +fullscreen 1 +szx 1280x +szy " "$(printf '%s\n' "$rec" | grep '^cmdline=' | head -1)"
e2e_stop_launcher

echo "launch: missing client shows only the warning"
G=$(e2e_game_dir missing)
default_config_text > "$G/BF_config.ini"
rm "$G/BF2.exe"
e2e_start_launcher "$G"
drv set 编辑框3 "previous" >/dev/null
drv click 本地启动器 >/dev/null &
clicker=$!
box=$(drv msgbox 10000)
check "warning text and title" "路径错误|没有检测到客户端，无法启动战地2！请将本软件放置战地2主目录文件夹" "$box"
drv msgbox-ok >/dev/null
wait "$clicker"
check "window stays visible" "1" "$(field visible "$(drv window)")"
check "echo keeps its text" "previous" "$(drv get 编辑框3)"
check "nothing started" "no" "$([ -e "$G/bf2_stub.log" ] && echo yes || echo no)"
e2e_stop_launcher

echo "launch: a folder with blanks and Chinese characters"
G=$(e2e_game_dir "战地 2 客户端")
default_config_text > "$G/BF_config.ini"
e2e_start_launcher "$G"
drv click CKMS >/dev/null
drv click 本地启动器 >/dev/null
rec=$(client_record "$G")
check "quoted path with blanks and Chinese" "cmdline=\"$(winpath "$G")\\BF2.exe\"  +menu 1 +fullscreen 0" "$(printf '%s\n' "$rec" | grep '^cmdline=' | head -1)"
check "started in that folder" "cwd=$(winpath "$G")" "$(printf '%s\n' "$rec" | grep '^cwd=' | head -1)"
e2e_stop_launcher

echo "launch: the update-checking start button does not launch when its check finds no update host"
export KV_BF2_STAY=1
G=$(e2e_game_dir gated)
closed_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
default_config_text | sed "/^\[bf_update\]/{n;s/^data=close\r$/data=open\r/}; s/^ip=.*\r$/ip=127.0.0.1:$closed_port\r/" > "$G/BF_config.ini"
e2e_start_launcher "$G"
drv press 更新启动器 >/dev/null
check "the check's message" "温馨提示" "$(drv msgbox 15000 | head -1 | cut -d'|' -f1)"
drv msgbox-ok >/dev/null
drv settle >/dev/null
check "nothing started" "0" "$(clients)"
check "window stays visible" "1" "$(field visible "$(drv window)")"
e2e_stop_launcher

echo "launch: without the shell object nothing is started, and a start tells the player why"
for key in 'HKCR\WScript.Shell' 'HKLM\Software\Classes\WScript.Shell'; do
    wine reg delete "$key" /f >/dev/null 2>&1 || true
done
G=$(e2e_game_dir noshell)
default_config_text > "$G/BF_config.ini"
e2e_start_launcher "$G"
check "start-up shows no message" "none" "$(drv no-msgbox)"
check "window shown" "1" "$(field visible "$(drv window)")"
drv set 编辑框3 "previous" -- click CKMS -- press 本地启动器 >/dev/null
check "the player is told why" \
    "温馨提示|系统的脚本组件（WScript.Shell）无法使用，无法启动战地2！请检查是否有安全软件禁用了它。" "$(drv msgbox 20000)"
drv msgbox-ok >/dev/null
check_eventually "the message is gone" "none" drv no-msgbox
check "nothing started" "0" "$(clients)"
check "the echo keeps its text" "previous" "$(drv get 编辑框3)"
check "the window stays" "1" "$(field visible "$(drv window)")"
e2e_stop_launcher
unset KV_BF2_STAY

e2e_finish
