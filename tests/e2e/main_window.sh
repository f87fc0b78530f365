#!/usr/bin/env bash
# The main window's start-up and shutdown: the first start, loading stored settings, the check boxes' clicks,
# the close request, the window's outline and size, and bad settings files.
source "$(dirname "$0")/lib.sh"

read -r SW SH <<< "$(screen_size)"

echo "first start writes the default file and shows the layout states"
G=$(e2e_game_dir first)
e2e_start_launcher "$G"
check_eventually "default settings file, byte for byte" "$(default_config_text | od -An -c)" od -An -c "$G/BF_config.ini"
check "X shows the screen width" "$SW" "$(drv get X)"
check "Y shows the screen height" "$SH" "$(drv get Y)"
s=$(drv state CKMS); check "CKMS unchecked" "0" "$(field checked "$s")"
s=$(drv state TGDH); check "TGDH unchecked" "0" "$(field checked "$s")"
s=$(drv state 本地启动器); check "本地启动器 shown" "1 1" "$(field visible "$s") $(field enabled "$s")"
s=$(drv state 更新启动器); check "更新启动器 hidden" "0" "$(field visible "$s")"
w=$(drv window)
check "window size 501 x 295" "501 295" "$(field w "$w") $(field h "$w")"
check "outline is a complex region" "complex" "$(field region "$w")"
check "window centred" "$(( (SW - 501) / 2 )) $(( (SH - 295) / 2 ))" "$(field x "$w") $(field y "$w")"
check "tray icon present" "present=1" "$(drv tray)"
check "client path in 编辑框2" "$(printf 'Z:%s\\BF2.exe' "$(printf '%s' "$G" | sed 's#/#\\#g')")" "$(drv get 编辑框2)"
check "version line not loaded on the first start" "Powered by Talvern" "$(drv get 版本号)"
check "title text" "Korvalen(联合版)" "$(drv get 透明标签2)"
s=$(drv state 编辑框2); check "编辑框2 lies in the cut-away band" "5 8" "$(field x "$s") $(field y "$s")"
s=$(drv state wangluo_banben); check "wangluo_banben hidden" "0" "$(field visible "$s")"
check "注册表 holds the default text" "$(default_config_text | tr -d '\r')" "$(drv get 注册表 | tr -d '\r')"
check_match_eventually "clock line ticks" '^[0-9]{4}年[0-9]{1,2}月[0-9]{1,2}日' drv get 编辑框4
e2e_shot main-first-start

echo "the echo line: white text on its blue, and no focus from a click"
# Pixels of a control on the screen: how many are pure white and how many the panel blue.
echo_colours() {
    local l t r b shot
    read -r l t r b <<< "$(drv screen-rect 编辑框3)"
    shot=$(import -window root -crop "$((r - l))x$((b - t))+$l+$t" -depth 8 txt:- 2>/dev/null)
    printf 'white=%s blue=%s' "$([ "$(grep -c '#FFFFFF' <<< "$shot")" -gt 30 ] && echo yes || echo no)" \
        "$([ "$(grep -c '#1C46E3' <<< "$shot")" -gt 300 ] && echo yes || echo no)"
}
drv set 编辑框3 "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW" >/dev/null
check_eventually "white text on the blue line" "white=yes blue=yes" echo_colours
e2e_shot main-echo-line
read -r xl xt xr xb <<< "$(drv screen-rect X)"
read -r el et er eb <<< "$(drv screen-rect 编辑框3)"
xdotool mousemove --sync $(( (xl + xr) / 2 )) $(( (xt + xb) / 2 )) click 1
check_eventually "a click puts the focus into X" "X" drv focus
xdotool mousemove --sync $(( (el + er) / 2 )) $(( (et + eb) / 2 )) click 1
drv settle >/dev/null
check "a click on the echo line leaves it there" "X" "$(drv focus)"
check "the echo line keeps its text" "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW" "$(drv get 编辑框3)"

echo "a close request stores both switches"
drv click TGDH >/dev/null
check "a click on TGDH writes at once" "open" "$(ini_value "$G/BF_config.ini" dh_kg data)"
# The user edits the file by hand meanwhile; closing stores the boxes' states again.
sed -i 's/^data=close\r$/data=junk\r/' "$G/BF_config.ini"
drv close >/dev/null
e2e_wait_launcher_exit
check "launcher exits after a close request" "0" "$E2E_EXIT"
check "closing stored TGDH" "open" "$(ini_value "$G/BF_config.ini" dh_kg data)"
check "closing stored CKMS" "close" "$(ini_value "$G/BF_config.ini" ck_kg data)"
check "the other values stay as they were" "junk" "$(ini_value "$G/BF_config.ini" bf_update data)"

echo "second start loads the defaults"
G=$(e2e_game_dir second)
default_config_text > "$G/BF_config.ini"
e2e_start_launcher "$G"
s=$(drv state 本地启动器); check "本地启动器 shown and enabled" "1 1" "$(field visible "$s") $(field enabled "$s")"
s=$(drv state 更新启动器); check "更新启动器 hidden and disabled" "0 0" "$(field visible "$s") $(field enabled "$s")"
check "CKMS unchecked" "0" "$(field checked "$(drv state CKMS)")"
check "TGDH unchecked" "0" "$(field checked "$(drv state TGDH)")"
check "X, Y from the screen when both stored values are empty" "$SW $SH" "$(drv get X) $(drv get Y)"
check "version line" "登录器:UN-20160324 启动器:v2.5 软件作者:Talvern" "$(drv get 版本号)"
check "site title from the file" "Ostrel" "$(drv get bfbiaoti)"
check "update host label" "$(ini_value "$G/BF_config.ini" bf2_down ip)" "$(drv get 透明标签5)"
check "the file is not rewritten by a start" "$(default_config_text | od -An -c)" "$(od -An -c < "$G/BF_config.ini")"
e2e_shot main-second-start
drv click CKMS >/dev/null
check "a click on CKMS writes at once" "open" "$(ini_value "$G/BF_config.ini" ck_kg data)"
drv click CKMS >/dev/null
check "a second click stores close" "close" "$(ini_value "$G/BF_config.ini" ck_kg data)"
e2e_stop_launcher

echo "the announcement browser is sent to the configured update host"
HTTP_LOG=$(mktemp)
e2e_start_http "$HTTP_LOG"
G=$(e2e_game_dir browser)
default_config_text | sed "s/^ip=.*\r\$/ip=127.0.0.1:$E2E_HTTP_PORT\r/" > "$G/BF_config.ini"
e2e_start_launcher "$G"
check_eventually "the page request reached the host" "GET /ostrel HTTP/1.1" grep -m1 'GET /ostrel' "$HTTP_LOG"
check "update host label" "127.0.0.1:$E2E_HTTP_PORT" "$(drv get 透明标签5)"
e2e_stop_launcher
e2e_stop_http

echo "stored open values check the boxes and swap the start buttons"
G=$(e2e_game_dir open)
default_config_text | sed 's/^data=close\r$/data=open\r/' > "$G/BF_config.ini"
e2e_start_launcher "$G"
check "CKMS checked" "1" "$(field checked "$(drv state CKMS)")"
check "TGDH checked" "1" "$(field checked "$(drv state TGDH)")"
s=$(drv state 本地启动器); check "本地启动器 hidden and disabled" "0 0" "$(field visible "$s") $(field enabled "$s")"
s=$(drv state 更新启动器); check "更新启动器 shown and enabled" "1 1" "$(field visible "$s") $(field enabled "$s")"
e2e_shot main-open-switches
e2e_stop_launcher

echo "Open, empty and other values leave the layout states; a stored width alone"
G=$(e2e_game_dir other)
printf '[ck_kg]\r\ndata=OPEN\r\n[dh_kg]\r\ndata=\r\n[bf_update]\r\ndata=Open\r\n[bf_X]\r\ndata=1024\r\n[bf_Y]\r\ndata=\r\n' > "$G/BF_config.ini"
e2e_start_launcher "$G"
check "CKMS keeps its layout state" "0" "$(field checked "$(drv state CKMS)")"
check "TGDH keeps its layout state" "0" "$(field checked "$(drv state TGDH)")"
s=$(drv state 本地启动器); check "本地启动器 as laid out" "1 1" "$(field visible "$s") $(field enabled "$s")"
s=$(drv state 更新启动器); check "更新启动器 as laid out" "0" "$(field visible "$s")"
check "X holds the stored 1024, Y stays empty" "1024|" "$(drv get X)|$(drv get Y)"
check "missing keys read empty: version line" "登录器: 启动器:v2.5 软件作者:Talvern" "$(drv get 版本号)"
e2e_stop_launcher

echo "a settings file full of garbage never stops the launcher"
G=$(e2e_game_dir garbage)
head -c 4096 /dev/urandom > "$G/BF_config.ini"
cp "$G/BF_config.ini" "$G/before.bin"
e2e_start_launcher "$G"
check "window shown" "1" "$(field visible "$(drv window)")"
check "nothing written at start-up" "" "$(cmp -s "$G/BF_config.ini" "$G/before.bin" || echo changed)"
e2e_stop_launcher

echo "a folder where the settings file should be: the player is told, and nothing is written there"
G=$(e2e_game_dir readonly)
mkdir "$G/BF_config.ini"   # unreadable as a file and never writable, even as root
e2e_start_launcher "$G"
check "window shown" "1" "$(field visible "$(drv window)")"
check_match "the player is told the settings cannot be read" '^温馨提示\|无法读取设置文件BF_config.ini' "$(drv msgbox 20000)"
drv msgbox-ok >/dev/null
check "X shows the screen width" "$SW" "$(drv get X)"
drv click CKMS >/dev/null
drv close >/dev/null
e2e_wait_launcher_exit
check "the launcher closed normally" "0" "$E2E_EXIT"
check "the folder is untouched" "folder, empty" "$([ -d "$G/BF_config.ini" ] && echo folder), $(ls -A "$G/BF_config.ini" | wc -l | sed 's/^0$/empty/')"

echo "launcher at the root of a drive"
G=$(e2e_game_dir root)
ln -sfn "$G" "$WINEPREFIX/dosdevices/r:"
e2e_start_launcher "$G" 'R:\Korvalen.exe'
check "client path is the drive alone plus \\BF2.exe" 'R:\BF2.exe' "$(drv get 编辑框2)"
check "settings file written at the root" "yes" "$([ -f "$G/BF_config.ini" ] && echo yes)"
e2e_stop_launcher
rm -f "$WINEPREFIX/dosdevices/r:"

e2e_finish
