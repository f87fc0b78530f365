#!/usr/bin/env bash
# The main window's own behaviour, driven with the real pointer: tips, dragging by the title strip and the
# background, hiding, the tray icon, the close button, and the three links.
source "$(dirname "$0")/lib.sh"

read -r SW SH <<< "$(screen_size)"
export KV_BROWSER_LOG="$(mktemp)"

# The pointer is moved with --sync (returns once it is there); checks of what follows wait for their condition,
# and checks that something did not happen first wait until the launcher has handled the input (drv settle).
# Screen centre of a control.
centre() { local r; r=$(drv screen-rect "$1"); read -r l t rr b <<< "$r"; echo "$(( (l + rr) / 2 )) $(( (t + b) / 2 ))"; }
move() { xdotool mousemove --sync "$1" "$2"; }
click_at() { xdotool mousemove --sync "$1" "$2" click 1; }
settled() { drv settle >/dev/null; "$@"; }
window_xy() { local w; w=$(drv window); echo "$(field x "$w") $(field y "$w")"; }
drag() {  # from-x from-y dx dy
    xdotool mousemove --sync "$1" "$2" mousedown 1
    drv settle >/dev/null  # the press has started a move, or has been refused
    local i
    for i in 1 2 3 4 5; do xdotool mousemove --sync "$(( $1 + $3 * i / 5 ))" "$(( $2 + $4 * i / 5 ))"; done
    xdotool mouseup 1
}

G=$(e2e_game_dir behaviour)
default_config_text > "$G/BF_config.ini"
xdotool mousemove 5 "$(( SH - 5 ))"   # start well away from the window
e2e_start_launcher "$G"
read -r X0 Y0 <<< "$(window_xy)"

echo "dragging before the pointer has crossed the title strip does nothing"
drag $(( X0 + 15 )) $(( Y0 + 150 )) 60 40
check "window did not move" "$X0 $Y0" "$(settled window_xy)"

echo "tips"
read -r hx hy <<< "$(centre home)"; move "$hx" "$hy"
check_eventually "over home" "您可以点击此按钮访问战地2论坛" drv get TT
read -r kx ky <<< "$(centre key)"; move "$kx" "$ky"
check_eventually "straight onto key" "您可以点击此按钮打开BF实用工具箱" drv get TT
read -r bx by <<< "$(centre 超文本浏览框1)"; move "$bx" "$by"
check "onto the browser: unchanged" "您可以点击此按钮打开BF实用工具箱" "$(settled drv get TT)"
read -r cx cy <<< "$(centre CKMS)"; move "$cx" "$cy"
check "onto a check box: unchanged" "您可以点击此按钮打开BF实用工具箱" "$(settled drv get TT)"
move $(( X0 + 15 )) $(( Y0 + 150 ))
check_eventually "onto the bare background: cleared" "" drv get TT
read -r sx sy <<< "$(centre share)"; move "$sx" "$sy"
check_eventually "over share" "您可以点击此按钮访问战地2资源下载" drv get TT
read -r tx ty <<< "$(centre H3)"; move "$tx" "$ty"
check_eventually "over H3" "打开网络小黑板" drv get TT

echo "after crossing the title strip, the strip and the background drag the window"
move $(( X0 + 300 )) $(( Y0 + 50 ))
drag $(( X0 + 300 )) $(( Y0 + 50 )) 50 30
check_eventually "dragged by the strip" "$(( X0 + 50 )) $(( Y0 + 30 ))" window_xy
drag $(( X0 + 50 + 15 )) $(( Y0 + 30 + 150 )) -80 -20
check_eventually "dragged by the background" "$(( X0 - 30 )) $(( Y0 + 10 ))" window_xy
read -r cx cy <<< "$(centre 透明标签2)"
before=$(window_xy)
drag "$cx" "$cy" 40 40
check "a press on the title text does not move the window" "$before" "$(settled window_xy)"
e2e_shot behaviour-dragged

echo "hide button and tray icon"
read -r mx my <<< "$(centre 图形按钮3)"; click_at "$mx" "$my"
check_eventually "hidden by the minimise button" "0" window_field visible
check "tray icon stays" "present=1" "$(drv tray)"
# The icon sits in Wine's tray window; its first icon's centre.
read -r tray_x tray_y <<< "$(xdotool search --name '^Wine System Tray$' getwindowgeometry 2>/dev/null | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p' | head -1)"
icon_x=$(( ${tray_x:-0} + 12 )); icon_y=$(( ${tray_y:-0} + 33 ))
click_at "$icon_x" "$icon_y"
check_eventually "a left click on the tray icon shows the window" "1" window_field visible
check_eventually "centred again" "$(( (SW - 501) / 2 )) $(( (SH - 295) / 2 ))" window_xy
click_at "$icon_x" "$icon_y"
check_eventually "a second left click hides it" "0" window_field visible
xdotool mousemove --sync "$icon_x" "$icon_y" click 3
check_eventually "a right click shows it" "1" window_field visible
xdotool mousemove --sync "$icon_x" "$icon_y" click --repeat 2 --delay 60 1
check "a double-click leaves it as it was" "1" "$(settled window_field visible)"
drv tray-event 2 >/dev/null
check "code 2 alone does nothing" "1" "$(settled window_field visible)"

echo "links"
: > "$KV_BROWSER_LOG"
read -r hx hy <<< "$(centre home)"; click_at "$hx" "$hy"
read -r sx sy <<< "$(centre share)"; click_at "$sx" "$sy"
read -r vx vy <<< "$(centre 版本号)"; click_at "$(( vx - 100 ))" "$vy"
h=$KV_WIN_BUILD/generated/deploy.h
forum=$(sed -n 's/.*kForumHost\[\] = "\(.*\)";/\1/p' "$h")
site=$(sed -n 's/.*kUpdateHost\[\] = "\(.*\)";/\1/p' "$h")
maker=$(sed -n 's/.*kMakerHost\[\] = "\(.*\)";/\1/p' "$h")
opened() { sort -u "$KV_BROWSER_LOG" | paste -sd'|'; }
check_eventually "home, share and the version line opened their pages" \
    "$(printf '%s\n' "http://$forum/forum-68-1.html" "http://$site/?talvern" "http://$maker/?talvern" | sort | paste -sd'|')" \
    opened

echo "integer boxes: typed input and the focus-loss rule"
read -r xx xy <<< "$(centre X)"; read -r yx yy <<< "$(centre Y)"
type_into() {  # x y text
    click_at "$1" "$2"
    xdotool key End
    xdotool key --repeat 8 BackSpace
    xdotool type --delay 40 "$3"
}
type_into "$xx" "$xy" "007"
check_eventually "typed text stands while the box has the focus" "007" drv get X
type_into "$yx" "$yy" "a1b-2"
check_eventually "X normalised when the focus moved away" "7" drv get X
check_eventually "letters refused while typing" "1-2" drv get Y
type_into "$xx" "$xy" "0"
check_eventually "Y keeps the integer at its start" "1" drv get Y
type_into "$yx" "$yy" "-"
check "0 becomes empty" "" "$(settled drv get X)"
type_into "$xx" "$xy" "123456"
check "at most 5 characters" "12345" "$(settled drv get X)"
click_at "$yx" "$yy"
check "a lone minus sign becomes empty" "" "$(settled drv get Y)"

echo "the close button ends the program at once"
drv click CKMS >/dev/null
check "the click stored the switch" "open" "$(ini_value "$G/BF_config.ini" ck_kg data)"
sed -i '/^\[ck_kg\]/{n;s/^data=open\r$/data=hand\r/}' "$G/BF_config.ini"
read -r qx qy <<< "$(centre 图形按钮4)"; click_at "$qx" "$qy"
e2e_wait_launcher_exit
check "exit code 0" "0" "$E2E_EXIT"
check "the destroyed step did not run" "hand" "$(ini_value "$G/BF_config.ini" ck_kg data)"

e2e_finish
