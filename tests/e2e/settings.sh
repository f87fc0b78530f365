#!/usr/bin/env bash
# Settings that are never lost, tried as a player would: one launcher per game folder (a second start brings the
# first back), launchers side by side in two folders, a settings file another program holds at start-up, empty
# files, a game folder so deep that its paths pass 260 characters, and client starts that fail.
source "$(dirname "$0")/lib.sh"

read -r SW SH <<< "$(screen_size)"
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's#/#\\#g')"; }

# Starts one more launcher in a folder while another runs; sets MORE_PID.
start_more() {
    (cd "$1" && exec timeout 300 wine Korvalen.exe >/dev/null 2>&1) &
    MORE_PID=$!
}
# Waits for MORE_PID to end; sets MORE_EXIT (124 when it did not end in time).
wait_more() {
    local deadline=$((SECONDS + 60))
    MORE_EXIT=124
    while kill -0 "$MORE_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    if ! kill -0 "$MORE_PID" 2>/dev/null; then wait "$MORE_PID"; MORE_EXIT=$?; fi
}
stop_more() { kill "$MORE_PID" 2>/dev/null; wait "$MORE_PID" 2>/dev/null; }
windows() { drv main-windows | sort | paste -sd'|'; }
bytes_of() { od -An -c < "$1"; }
started() { drv processes BF2.exe; }
first_line() { head -1 "$1" 2>/dev/null | tr -d "\r"; }

echo "a second start in the same folder brings the first back from the tray and ends"
G=$(e2e_game_dir same)
default_config_text > "$G/BF_config.ini"
e2e_start_launcher "$G"
drv click 图形按钮3 >/dev/null
check "the first waits in the tray" "0" "$(window_field visible)"
# A second launcher that read or wrote the settings would write the default file where none is.
rm "$G/BF_config.ini"
start_more "$G"
wait_more
check "the second start ends by itself, exit code 0" "0" "$MORE_EXIT"
check_eventually "the first is shown again" "1" window_field visible
check "one launcher window" "visible=1 path=$(winpath "$G")\\BF2.exe" "$(windows)"
check "one launcher process" "1" "$(drv processes Korvalen.exe)"
check "the second start neither read nor wrote the settings" "no" "$([ -e "$G/BF_config.ini" ] && echo yes || echo no)"
e2e_shot settings-second-start

echo "a second start while the first is shown changes nothing but the front window"
start_more "$G"
wait_more
check "the second start ends by itself" "0" "$MORE_EXIT"
check "still one launcher window, shown" "visible=1 path=$(winpath "$G")\\BF2.exe" "$(windows)"

echo "a start right after the folder's launcher was ended is a launcher of its own"
e2e_stop_launcher
e2e_start_launcher "$G"
check "its window is up" "visible=1 path=$(winpath "$G")\\BF2.exe" "$(windows)"
e2e_stop_launcher

echo "launchers in two game folders run side by side"
G1=$(e2e_game_dir one)
G2=$(e2e_game_dir two)
default_config_text > "$G1/BF_config.ini"
default_config_text > "$G2/BF_config.ini"
e2e_start_launcher "$G1"
start_more "$G2"
expected=$(printf '%s\n' "visible=1 path=$(winpath "$G1")\\BF2.exe" "visible=1 path=$(winpath "$G2")\\BF2.exe" | sort | paste -sd'|')
check_eventually "both windows, each for its folder" "$expected" windows
check "two launcher processes" "2" "$(drv processes Korvalen.exe)"
stop_more
e2e_stop_launcher

echo "a settings file held without sharing during start-up is never written that run"
G=$(e2e_game_dir held)
default_config_text | sed '/^\[ck_kg\]/{n;s/^data=close\r$/data=open\r/}' > "$G/BF_config.ini"
cp "$G/BF_config.ini" "$G/before.ini"
timeout 200 wine "$KV_WIN_BUILD/tests/kvdriver.exe" hold "$(winpath "$G")\\BF_config.ini" "$(winpath "$G")\\release" \
    > "$G/hold.out" 2>/dev/null &
HOLD_PID=$!
check_eventually "another program holds the file" "held" first_line "$G/hold.out"
e2e_start_launcher "$G"
check "the player is told once" \
    "温馨提示|无法读取设置文件BF_config.ini，它可能正被其他程序占用。为免覆盖您的设置，本次运行不会保存任何设置。请关闭占用它的程序后重新打开本软件。" \
    "$(drv msgbox 20000)"
e2e_shot settings-held
drv msgbox-ok >/dev/null
check "X and Y show the screen" "$SW $SH" "$(drv get X) $(drv get Y)"
check "CKMS keeps its layout state" "0" "$(control_field CKMS checked)"
touch "$G/release"
wait "$HOLD_PID"
check "released" "released" "$(sed -n 2p "$G/hold.out" | tr -d '\r')"
drv click CKMS -- click TGDH -- click CKMS >/dev/null
check "no second message" "none" "$(drv no-msgbox)"
drv close >/dev/null
e2e_wait_launcher_exit
check "the launcher closed normally" "0" "$E2E_EXIT"
check "the file's bytes are unchanged after clicks and close" "$(bytes_of "$G/before.ini")" "$(bytes_of "$G/BF_config.ini")"

echo "an empty file is a first start"
for content in '' '\r\n  \r\n\t\r\n'; do
    G=$(e2e_game_dir empty)
    printf "$content" > "$G/BF_config.ini"
    e2e_start_launcher "$G"
    check "$(printf '%q' "$content"): the default text, byte for byte" "$(default_config_text | od -An -c)" "$(bytes_of "$G/BF_config.ini")"
    check "X and Y show the screen" "$SW $SH" "$(drv get X) $(drv get Y)"
    check "no message" "none" "$(drv no-msgbox)"
    e2e_stop_launcher
done

# A game folder whose settings path is exactly $1 characters long (as Windows spells it: Z:\...\BF_config.ini).
deep_game_dir() {
    local want=$1 dir part
    dir=$(mktemp -d "${KV_WINE_ROOT:-/tmp}/game.XXXXXX")
    local need=$((want - 2 - 14))  # "Z:" and "\BF_config.ini"
    part=$(printf 'f%.0s' $(seq 1 99))
    while [ $((need - ${#dir})) -gt 101 ]; do dir="$dir/$part"; done
    dir="$dir/$(printf 'g%.0s' $(seq 1 $((need - ${#dir} - 1))))"
    mkdir -p "$dir"
    cp "$KV_WIN_BUILD/Korvalen.exe" "$KV_WIN_BUILD/tests/BF2.exe" "$dir/"
    printf '%s' "$dir"
}

for length in 260 270; do
    echo "a game folder whose settings path is $length characters"
    G=$(deep_game_dir "$length")
    check "settings path length" "$length" "$(printf '%s' "$(winpath "$G")\\BF_config.ini" | wc -m)"
    default_config_text | sed 's/^title=Ostrel\r$/title=DeepTitle\r/; /^\[ck_kg\]/{n;s/^data=close\r$/data=open\r/}' \
        > "$G/BF_config.ini"
    e2e_start_launcher "$G"
    check "the launcher starts there" "1" "$(window_field visible)"
    check "values read: the site title" "DeepTitle" "$(drv get bfbiaoti)"
    check "values read: CKMS checked" "1" "$(control_field CKMS checked)"
    drv click TGDH >/dev/null
    check "a click stored" "open" "$(ini_value "$G/BF_config.ini" dh_kg data)"
    check "nothing else changed" "DeepTitle open" "$(ini_value "$G/BF_config.ini" bf2_down title) $(ini_value "$G/BF_config.ini" ck_kg data)"
    e2e_stop_launcher
done

echo "a client path too long to start: the window stays and the player hears why"
# In the 270-character folder above the client path is 264 characters.
export KV_BF2_STAY=1  # a client that did start would still be there to count
e2e_start_launcher "$G"
drv set 编辑框3 "previous" >/dev/null
drv press 本地启动器 >/dev/null
check "the message names the reason" \
    "温馨提示|游戏文件夹的路径太长，系统无法启动战地2！请把游戏文件夹移到路径较短的位置后再试。" "$(drv msgbox 20000)"
e2e_shot settings-path-too-long
drv msgbox-ok >/dev/null
check_eventually "the message is gone" "none" drv no-msgbox
check "the window stays" "1" "$(window_field visible)"
check "the echo keeps its text" "previous" "$(drv get 编辑框3)"
check "no client runs" "0" "$(started)"
e2e_stop_launcher

echo "a client file that is not a program"
G=$(e2e_game_dir notprogram)
default_config_text > "$G/BF_config.ini"
printf 'half a download' > "$G/BF2.exe"
e2e_start_launcher "$G"
drv press 本地启动器 >/dev/null
check "the message names the reason" \
    "温馨提示|客户端BF2.exe不是可以运行的程序，可能已经损坏，无法启动战地2！请重新下载或更新客户端。" "$(drv msgbox 20000)"
drv msgbox-ok >/dev/null
check_eventually "no other dialog follows" "none" drv no-msgbox
check "the window stays" "1" "$(window_field visible)"
e2e_stop_launcher

echo "a client file another program holds without sharing"
G=$(e2e_game_dir clientheld)
default_config_text > "$G/BF_config.ini"
timeout 200 wine "$KV_WIN_BUILD/tests/kvdriver.exe" hold "$(winpath "$G")\\BF2.exe" "$(winpath "$G")\\release" \
    > "$G/hold.out" 2>/dev/null &
HOLD_PID=$!
check_eventually "another program holds the client" "held" first_line "$G/hold.out"
e2e_start_launcher "$G"
drv press 本地启动器 >/dev/null
check "the message names the reason" \
    "温馨提示|客户端BF2.exe正被其他程序占用，无法启动战地2！请稍后再试。" "$(drv msgbox 20000)"
drv msgbox-ok >/dev/null
check "the window stays" "1" "$(window_field visible)"
touch "$G/release"
wait "$HOLD_PID"
drv click CKMS -- click 本地启动器 >/dev/null
check "once free, the client starts" "1" "$(started)"
check "and the window hides" "0" "$(window_field visible)"
e2e_stop_launcher
unset KV_BF2_STAY

e2e_finish
