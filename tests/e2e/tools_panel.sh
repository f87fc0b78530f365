#!/usr/bin/env bash
# The utility panel, driven as a player would from a game folder whose name has blanks and Chinese characters:
# the window and its controls, the colours of its links, the link buttons and hyperlinks, the full-screen fix
# (the script's bytes, an existing script imported unchanged, the values read back), the language fix (both
# registry views), the screenshot folder, and the failures of both fixes.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tools_helpers.bash"

read -r SW SH <<< "$(screen_size)"
export KV_BROWSER_LOG="$(mktemp)"
HOST=127.0.0.1:8123

display_key='HKLM\SYSTEM\ControlSet001\Control\GraphicsDrivers\Configuration\AOC2350CPAD7HA026366_1D_07DD_0D*LEN40A00_00_07DA_93^EF692FDA06EA236A9245BBEC56C965C1'
game_key='HKLM\SOFTWARE\Electronic Arts\EA Games\Battlefield 2'
fullscreen_script() {
    printf '[%s\\00\\01]' "${display_key/HKLM/HKEY_LOCAL_MACHINE}"
    printf '\r\n"%s"=dword:%s' Flags 0001f787 VideoStandard 000000ff ActiveSize.cx 00000556 ActiveSize.cy 00000300 \
        VSyncFreq.Numerator 044fab10 VSyncFreq.Denominator 00126524 HSyncFreq.Numerator 0000b926 \
        HSyncFreq.Denominator 00000001 PixelRate 044fab10 ScanlineOrdering 00000001 Scaling 00000003 Rotation 00000001
}

# The documents folder moved to a path with blanks and Chinese characters, as players do.
DOCS="$(mktemp -d "${KV_WINE_ROOT:-/tmp}/docs.XXXXXX")/我的 文档"
mkdir -p "$DOCS/Battlefield 2/Screenshots"
for key in 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'; do
    wine reg add "$key" /v Personal /t REG_SZ /d "$(winpath "$DOCS")" /f >/dev/null 2>&1
done

G=$(e2e_game_dir "战地 2 Battlefield")
default_config_text | sed "s/^ip=.*\r\$/ip=$HOST\r/" > "$G/BF_config.ini"
e2e_start_launcher "$G"

open_panel() { drv press key >/dev/null; drv wait-window utility 10000 >/dev/null; sleep 0.3; }
# Presses a button whose work ends in a message box; prints "title|text" and answers OK.
press_for_message() {
    drv press "utility/$1" >/dev/null
    drv msgbox 30000
    drv msgbox-ok >/dev/null
    sleep 0.3
}

echo "the panel opens over the main window, which takes no input meanwhile"
open_panel
w=$(drv window utility)
check "caption" "实用面板" "$(field title "$w")"
check "size 443 x 322" "443 322" "$(field w "$w") $(field h "$w")"
check "centred" "$(( (SW - 443) / 2 )) $(( (SH - 322) / 2 ))" "$(field x "$w") $(field y "$w")"
check "main window disabled" "0" "$(field enabled "$(drv window-state main)")"
check "panel in front" "1" "$(field foreground "$(drv window-state utility)")"

echo "controls: texts and places (inside a group box: the group's place plus its own)"
while IFS='|' read -r name text place; do
    s=$(drv state "utility/$name")
    check "$name text" "$text" "$(drv get "utility/$name")"
    check "$name at $place" "$place" "$(field x "$s") $(field y "$s") $(field w "$s") $(field h "$s")"
done <<'TABLE'
分组框2|下载服务|16 16 264 144
按钮4|PB反作弊程序|32 48 96 24
按钮2|BF2模组+地图包|152 48 96 24
按钮5|Directx 9.0c|32 85 96 24
标签1|相关按钮均采用弹出网页，请注意放行|32 128 208 16
分组框3|修复功能|288 16 128 144
按钮3|全屏修复补丁|304 48 96 24
按钮1|中文修复补丁|304 80 96 24
按钮8|游戏闪退问题|304 114 96 24
分组框1||17 168 399 48
按钮6|游戏截图文件夹|25 184 96 24
超级链接框2|127.0.0.1:8123|176 184 192 24
超级链接框1|开发时间：2016年3月，部分资源整合来源于互联网， 软件作者：Talvern |16 224 400 24
超级链接框3|Talvern|136 264 128 24
TABLE
s=$(drv state utility/编辑框2)
check "编辑框2 lies beyond the right edge" "568 176" "$(field x "$s") $(field y "$s")"
check "编辑框2 holds the script" "$(fullscreen_script | tr -d '\r')" "$(drv get utility/编辑框2)"

echo "colours: captions, label and links on black, hover and visited"
xdotool mousemove 5 5; sleep 0.3
e2e_shot tools-panel
shot="$E2E_SHOTS/tools-panel.png"
rect() { drv screen-rect "utility/$1"; }
for group in 分组框2 分组框3; do
    read -r l t r b <<< "$(rect "$group")"   # the caption's place: in the gap of the frame's top line
    check "$group caption blue" "#0088FF" "$(text_colour "$shot" $((l + 8)) "$t" $((l + 56)) $((t + 13)) '#000000')"
done
check "label white" "#FFFFFF" "$(near_colour '#FFFFFF' "$(text_colour "$shot" $(rect 标签1) '#000000')")"
check "host link blue" "#0088FF" "$(text_colour "$shot" $(rect 超级链接框2) '#000000')"
check "credit line yellow" "#FFFF00" "$(text_colour "$shot" $(rect 超级链接框1) '#000000')"
check "maker link blue" "#0088FF" "$(text_colour "$shot" $(rect 超级链接框3) '#000000')"
read -r hx hy <<< "$(centre_of utility/超级链接框2)"
xdotool mousemove "$hx" "$hy"; sleep 0.4
e2e_shot tools-panel-hover
check "host link under the pointer" "#3399FF" \
    "$(text_colour "$E2E_SHOTS/tools-panel-hover.png" $(rect 超级链接框2) '#000000')"
read -r mx my <<< "$(centre_of utility/超级链接框3)"
xdotool mousemove "$mx" "$my"; sleep 0.4
e2e_shot tools-panel-hover3
check "maker link under the pointer: yellow" "#FFFF00" \
    "$(text_colour "$E2E_SHOTS/tools-panel-hover3.png" $(rect 超级链接框3) '#000000')"
read -r cx cy <<< "$(centre_of utility/超级链接框1)"
xdotool mousemove "$cx" "$cy"; sleep 0.4
e2e_shot tools-panel-hover1
check "credit line under the pointer" "#3399FF" \
    "$(text_colour "$E2E_SHOTS/tools-panel-hover1.png" $(rect 超级链接框1) '#000000')"

echo "links: the four buttons and two hyperlinks open their pages; the credit line opens nothing"
: > "$KV_BROWSER_LOG"
xdotool click 1; sleep 0.5   # on the credit line
drv click utility/按钮4 -- click utility/按钮2 -- click utility/按钮5 -- click utility/按钮8 >/dev/null
xdotool mousemove "$hx" "$hy"; sleep 0.2; xdotool click 1; sleep 0.3
xdotool mousemove "$mx" "$my"; sleep 0.2; xdotool click 1; sleep 0.3
wait_lines "$KV_BROWSER_LOG" 6
h=$KV_WIN_BUILD/generated/deploy.h
dv() { sed -n "s/.*$1\[\] = \"\(.*\)\";/\1/p" "$h"; }
check "opened addresses" \
    "$(printf '%s\n' "http://$(dv kPbHost)/downloads/W/gui/pbsetup.zip" "http://$(dv kUpdateHost)/share.php" \
        "http://$(dv kDirectxHost)/sw-search-sp/soft/75/14896/directx_9.29.952.3111.3613753789.exe" \
        "http://$(dv kForumHost)/thread-3892-1-1.html" "http://$HOST" "http://$(dv kMakerHost)/?talvern" | sort | paste -sd'|')" \
    "$(sed 's#^\(http://[^/]*\)/$#\1#' "$KV_BROWSER_LOG" | sort | paste -sd'|')"  # the system may add the root's slash
xdotool mousemove 5 5; sleep 0.4
e2e_shot tools-panel-visited
check "host link visited" "#800000" \
    "$(text_colour "$E2E_SHOTS/tools-panel-visited.png" $(rect 超级链接框2) '#000000')"
check "maker link visited" "#800000" \
    "$(text_colour "$E2E_SHOTS/tools-panel-visited.png" $(rect 超级链接框3) '#000000')"
check "credit line not visited" "#FFFF00" \
    "$(text_colour "$E2E_SHOTS/tools-panel-visited.png" $(rect 超级链接框1) '#000000')"

echo "full-screen fix: the script written, imported, the values read back"
check "message" "温馨提示|已经修复无法全屏游戏的问题，建议您重启电脑后，用启动器进行游戏即可" "$(press_for_message 按钮3)"
check "pingmu.reg holds the 562 bytes" "$(fullscreen_script | od -An -c)" "$(od -An -c < "$G/pingmu.reg")"
check "562 bytes" "562" "$(stat -c %s "$G/pingmu.reg")"
while read -r name value; do
    check "imported $name" "REG_DWORD $value" "$(reg_value "$display_key\\00\\01" "$name")"
done <<'VALUES'
Flags 0x1f787
VideoStandard 0xff
ActiveSize.cx 0x556
ActiveSize.cy 0x300
VSyncFreq.Numerator 0x44fab10
VSyncFreq.Denominator 0x126524
HSyncFreq.Numerator 0xb926
HSyncFreq.Denominator 0x1
PixelRate 0x44fab10
ScanlineOrdering 0x1
Scaling 0x3
Rotation 0x1
VALUES

echo "an existing pingmu.reg is imported unchanged"
wine reg delete "$display_key" /f >/dev/null 2>&1
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Korvalen Test]\r\n"FromPlayer"=dword:0000002a\r\n' > "$G/pingmu.reg"
before=$(md5sum < "$G/pingmu.reg")
check "message" "温馨提示|已经修复无法全屏游戏的问题，建议您重启电脑后，用启动器进行游戏即可" "$(press_for_message 按钮3)"
check "the player's value imported" "REG_DWORD 0x2a" "$(reg_value 'HKCU\Software\Korvalen Test' FromPlayer)"
check "the file is unchanged" "$before" "$(md5sum < "$G/pingmu.reg")"
check "the built-in script was not used" "" "$(reg_value "$display_key\\00\\01" Scaling)"
rm "$G/pingmu.reg"
press_for_message 按钮3 >/dev/null
check "deleted: the built-in script is written again" "$(fullscreen_script | od -An -c)" "$(od -An -c < "$G/pingmu.reg")"

echo "full-screen fix failures are reported"
rm "$G/pingmu.reg"; mkdir "$G/pingmu.reg"
check "a folder in the script's place" \
    "温馨提示|全屏修复没有完成：无法在启动器所在的文件夹中写入 pingmu.reg。 请右键点击启动器，选择“以管理员身份运行”后再试一次。" \
    "$(press_for_message 按钮3 | paste -sd' ')"
rmdir "$G/pingmu.reg"
# A key the editor cannot make: a permanent key below a volatile one.
check "volatile key made" "created" "$(drv volatile-key 'HKLM\SOFTWARE\Korvalen Volatile')"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalen Volatile\\Child]\r\n"x"=dword:00000001\r\n' > "$G/pingmu.reg"
check "an import that leaves nothing" \
    "温馨提示|全屏修复没有完成：注册表编辑器没有导入 pingmu.reg 中的设置。 请右键点击启动器，选择“以管理员身份运行”后再试一次，或者双击 pingmu.reg 手动导入。" \
    "$(press_for_message 按钮3 | paste -sd' ')"
rm "$G/pingmu.reg"

echo "language fix: four values, both registry views"
check "message" "温馨提示|切换繁体中文成功，已经将繁体中文注册文件导入到注册表" "$(press_for_message 按钮1)"
check "Language (64-bit view)" "REG_SZ Chinese" "$(reg_value "$game_key" Language /reg:64)"
check "Locale (64-bit view)" "REG_SZ zh_TW" "$(reg_value "$game_key" Locale /reg:64)"
check "Language (32-bit view, the game's)" "REG_SZ Chinese" "$(reg_value "$game_key" Language /reg:32)"
check "Locale (32-bit view, the game's)" "REG_SZ zh_TW" "$(reg_value "$game_key" Locale /reg:32)"
wine reg delete 'HKLM\SOFTWARE\Electronic Arts' /f >/dev/null 2>&1
wine reg delete 'HKLM\SOFTWARE\Wow6432Node\Electronic Arts' /f >/dev/null 2>&1
check "volatile key made" "created" "$(drv volatile-key 'HKLM\SOFTWARE\Electronic Arts')"
check "values that cannot be written are reported" \
    "温馨提示|切换繁体中文没有完成：无法把游戏的语言设置写入注册表。 请右键点击启动器，选择“以管理员身份运行”后再试一次。" \
    "$(press_for_message 按钮1 | paste -sd' ')"

echo "screenshot folder: the file manager gets the folder as one argument"
# Wine's own file manager takes its desktop down with it when it closes (the launcher's windows then vanish
# from every other program's view), so a stand-in answers to the name: the system's search for "explorer.exe"
# looks in the launcher's folder first. It records its command line as the stand-in client does.
cp "$KV_WIN_BUILD/tests/BF2.exe" "$G/explorer.exe"
rm -f "$G/bf2_stub.log"
drv click utility/按钮6 >/dev/null
for i in $(seq 1 100); do
    grep -q '^cmdline=explorer' "$G/bf2_stub.log" 2>/dev/null && break
    sleep 0.1
done
check "explorer's command line" "cmdline=explorer.exe \"$(winpath "$DOCS")\\Battlefield 2\\Screenshots\"" \
    "$(tr -d '\r' < "$G/bf2_stub.log" 2>/dev/null | grep '^cmdline=' | head -1)"
rm -f "$G/explorer.exe" "$G/bf2_stub.log"

echo "Esc closes the panel, the close box too; the main window takes input again"
# The player clicks the panel's bare background first, as after using another program. Under Xvfb without a
# window manager the X server may leave its keyboard focus on Wine's tray window after a program started and
# ended; the key then goes there, so the focus is put on the panel as a window manager would.
w=$(drv window utility)
xdotool mousemove --sync $(( $(field x "$w") + 400 )) $(( $(field y "$w") + 300 )) click 1
for i in $(seq 1 20); do
    [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = 实用面板 ] && break
    sleep 0.1
done
[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = 实用面板 ] ||
    xdotool search --name '^实用面板$' windowfocus --sync
xdotool key Escape
closed=$(drv wait-window-gone utility 5000)
check "closed by Esc" "ok" "$closed"
check "main window enabled" "1" "$(field enabled "$(drv window-state main)")"
open_panel
drv close-window utility >/dev/null
check "closed by its close box" "ok" "$(drv wait-window-gone utility 5000)"
check "the launcher runs on" "1" "$(field visible "$(drv window)")"
e2e_stop_launcher

echo "on the first start the update host is not loaded: the host link is empty"
F=$(e2e_game_dir first)
e2e_start_launcher "$F"
open_panel
check "empty host link" "" "$(drv get utility/超级链接框2)"
: > "$KV_BROWSER_LOG"
drv click utility/超级链接框2 >/dev/null
wait_lines "$KV_BROWSER_LOG" 1
check "its address is the scheme alone" "http://" "$(head -1 "$KV_BROWSER_LOG" | sed 's#^\(http://[^/]*\)/$#\1#')"
e2e_stop_launcher

e2e_finish
