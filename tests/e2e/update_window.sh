#!/usr/bin/env bash
# The update window opened from H1: its state at creation (the command line's first argument, the versions,
# the host, the switch), the switch's writes and messages, the help panel, the links, 立即更新 when there is
# nothing to do or no answer, Esc, and the launcher's check of its own version against its site.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/update_common.bash"
export KV_BROWSER_LOG="$(mktemp)"

uh_start
uh_version UN-20160324

# Starts the launcher with arguments of its own, as a shortcut's target line would give them.
start_with_args() {  # dir args...
    local dir=$1
    shift
    e2e_stop_launcher
    (cd "$dir" && exec timeout 300 wine Korvalen.exe "$@" >/dev/null 2>&1) &
    E2E_LAUNCHER_PID=$!
    drv wait 20000 >/dev/null
}
open_update() {  # H1 with the pointer
    click_control H1
    drv wait-window update 10000 >/dev/null
}
browser_saw() {  # address
    local i
    for i in $(seq 1 50); do grep -qxF "$1" "$KV_BROWSER_LOG" && break; sleep 0.2; done
    grep -qxF "$1" "$KV_BROWSER_LOG" && echo yes || echo no
}

echo "the first argument of the launcher's command line goes into url"
G=$(update_game_dir args UN-20160324)
start_with_args "$G" "http://mirror.example/BF2.exe" "second one"
open_update
check "one word, a quoted second argument after it" "http://mirror.example/BF2.exe" "$(drv get update/url)"
drv close-window update -- wait-window-gone update 5000 >/dev/null
start_with_args "$G" "with a blank"
open_update
check "quoted with a blank" "with a blank" "$(drv get update/url)"
drv close-window update -- wait-window-gone update 5000 >/dev/null
e2e_start_launcher "$G"
open_update
check "none: the initial address" "$(sed -n 's/.*kUrlInitial\[\] = "\(.*\)";/\1/p' "$KV_WIN_BUILD/generated/deploy.h")" "$(drv get update/url)"

echo "the window as it opens"
w=$(drv window update)
check "caption and size" "软件升级 510 220" "$(field title "$w") $(field w "$w") $(field h "$w")"
read -r sw sh <<< "$(screen_size)"
check "centred" "$(((sw - 510) / 2)) $(((sh - 220) / 2))" "$(field x "$w") $(field y "$w")"
check "versions, host and launcher version" "UN-20160324||127.0.0.1:$UH_PORT|$(launcher_version)" \
    "$(drv get update/bendi_banben)|$(drv get update/wangluo_banben)|$(drv get update/update_ip)|$(drv get update/korvalen)"
s=$(drv state update/bendi_banben)
check "the display boxes are disabled" "0 0 0" "$(field enabled "$s") $(field enabled "$(drv state update/wangluo_banben)") $(field enabled "$(drv state update/update_ip)")"
check "korvalen is editable" "1" "$(field enabled "$(drv state update/korvalen)")"
check "progress bar and status bar" "0 ||| 0 135 348 20" \
    "$(drv pos update/进度条1) $(drv parts update/状态条1) $(s=$(drv state update/状态条1); echo "$(field x "$s") $(field y "$s") $(field w "$s") $(field h "$s")")"
check "help hidden" "0" "$(field checked "$(drv state update/选择框1)")"
check "the main window takes no input meanwhile" "0" "$(field enabled "$(drv window)")"
e2e_shot update-window

echo "the help panel"
drv click update/选择框1 >/dev/null
w=$(drv window update); check "shown: 510 x 387" "510 387" "$(field w "$w") $(field h "$w")"
e2e_shot update-window-help
check "help text in the group" "1，使用了自动更新功能，启动器每次运行前都会强制校准版本是否最新；" "$(drv get update/标签4 | head -1)"
drv click update/选择框1 >/dev/null
w=$(drv window update); check "hidden: 510 x 220" "510 220" "$(field w "$w") $(field h "$w")"

echo "the switch: every click writes and tells, the next start reads it"
drv press update/单选框2 >/dev/null
check "关闭's message" "关闭成功|您已经关闭了登录器BF2.exe的自动升级功能，本启动器将不会对您的BF2.exe进行更新提示！将会在下次打开启动器时生效！" "$(answer_box ok)"
check "written at once" "close" "$(ini_value "$G/BF_config.ini" bf_update data)"
check "the buttons" "0 1" "$(field checked "$(drv state update/单选框1)") $(field checked "$(drv state update/单选框2)")"
drv press update/单选框2 >/dev/null
check "a click on the checked one tells again" "关闭成功" "$(answer_box ok | cut -d'|' -f1)"
drv press update/单选框1 >/dev/null
check "开启's message" "启用成功|您已经启用了登录器BF2.exe的自动更新功能，本启动器会在启动游戏前连接更新服务器来校准您的程序版本！将会在下次打开启动器时生效！" "$(answer_box ok)"
check "written at once" "open" "$(ini_value "$G/BF_config.ini" bf_update data)"
drv press update/单选框2 >/dev/null
answer_box ok >/dev/null
check "the start button is unchanged until the next start" "1" "$(field visible "$(drv state 更新启动器)")"
drv close-window update -- wait-window-gone update 5000 >/dev/null
open_update
check "reopened: the buttons show the switch the launcher started with" "1 0" \
    "$(field checked "$(drv state update/单选框1)") $(field checked "$(drv state update/单选框2)")"

echo "the links and BF2.exe手动更新"
: > "$KV_BROWSER_LOG"
drv click update/按钮1 >/dev/null
check "the client by hand" "yes" "$(browser_saw "http://127.0.0.1:$UH_PORT/ostrel/BF2.exe")"
drv click update/超级链接框1 >/dev/null
check "the forum" "yes" "$(browser_saw "http://$(sed -n 's/.*kForumHost\[\] = "\(.*\)";/\1/p' "$KV_WIN_BUILD/generated/deploy.h")/")"
check "nothing else happened" "none" "$(drv no-msgbox)"

echo "立即更新 with nothing to do, and without an answer"
start_standin "$G"
for i in $(seq 1 100); do [ -s "$G/bf2_stub.log" ] && break; sleep 0.1; done
click_control update/按钮4
check "equal versions" "提示|版本无需更新，感谢使用" "$(answer_box ok)"
check "the running client was ended all the same" "no" "$(wait_standin_gone)"
drv wait-window-gone update 5000 >/dev/null
check "the window closed" "no window" "$(drv window update)"
w=$(drv window); check "the main window shown and usable" "1 1" "$(field visible "$w") $(field enabled "$w")"
check "no download" "0" "$(uh_requests | grep -c 'BF2.exe')"
open_update
uh_faults '{"/ostrel/ver.txt": {"body_hex": ""}}'
click_control update/按钮4
check "an empty answer" "温馨提示|连接不到升级文件，通信失败。建议您手动下载BF2.exe登录器" "$(answer_box ok)"
check "the window stays, its status line emptied" "1|" "$(field visible "$(drv window update)")|$(drv get update/标签3)"
uh_faults '{}'

echo "Esc closes the window; H1 deletes a leftover download first"
click_control update/标签3  # the window in front, as a player brings it
xdotool key Escape
drv wait-window-gone update 5000 >/dev/null
check "Esc closed it" "no window" "$(drv window update)"
printf 'stale' > "$G/BF2_update.bak"
open_update
check "the leftover is gone" "no" "$([ -e "$G/BF2_update.bak" ] && echo yes || echo no)"
e2e_stop_launcher

echo "the launcher's check of its own version, against its site"
site_root=$(mktemp -d "${KV_WINE_ROOT:-/tmp}/site.XXXXXX")/root
mkdir -p "$site_root/ostrel"
site=$(cat "$KV_WIN_BUILD/tests/site_test_host.txt")
site_start "$site_root"
G=$(update_game_dir site UN-20160324)
cp "$KV_WIN_BUILD/tests/korvalen_site_test.exe" "$G/Korvalen.exe"
e2e_start_launcher "$G"
open_update
: > "$KV_BROWSER_LOG"
drv click update/超级链接框2 >/dev/null
check "the partner page on the launcher's site" "yes" "$(browser_saw "http://$site/server")"
v=$(launcher_version)
printf '%s' "$v" > "$site_root/ostrel/Korvalen.txt"
drv press update/按钮3 >/dev/null
check "the same version" "提示|版本无需更新，感谢使用" "$(answer_box ok)"
check "both versions shown" "本地版本:$v 网络版本:$v" "$(drv get update/korvalen)"
check "status line" "版本无需更新" "$(drv get update/标签3)"
printf 'v2.6' > "$site_root/ostrel/Korvalen.txt"
drv press update/按钮3 >/dev/null
check "a newer version" "发现新版本|检测到Korvalen的新版本，是否下载？" "$(answer_box ok)"
check "the download page opened" "yes" "$(browser_saw "http://$site/down.php")"
check "both versions shown" "本地版本:$v 网络版本:v2.6" "$(drv get update/korvalen)"
check "status line keeps the step's text" "正在尝试连接启动器更新服务器，验证版本…" "$(drv get update/标签3)"
site_stop
drv press update/按钮3 >/dev/null
check "no answer" "提示|连接不到启动器升级文件，通信失败" "$(answer_box ok)"
check "an empty remote version" "本地版本:$v 网络版本:" "$(drv get update/korvalen)"
e2e_stop_launcher

e2e_finish
