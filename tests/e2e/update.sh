#!/usr/bin/env bash
# The update road as a player walks it, against the project's loopback update host: the check behind
# 更新启动器 with its outcomes (equal, newer, refused, host down, odd version texts), and the whole road from the
# question through the update window's 立即更新, the moving progress and the swap to the launch of the new client.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/update_common.bash"

uh_start
uh_offer_client UN-20250101

echo "the check: equal versions launch at once"
uh_version UN-20160324
G=$(update_game_dir equal UN-20160324)
e2e_start_launcher "$G"
s=$(drv state 更新启动器); check "更新启动器 shown (automatic update on)" "1 1" "$(field visible "$s") $(field enabled "$s")"
printf 'old download' > "$G/BF2_update.bak"
press_update_start
for i in $(seq 1 100); do [ -s "$G/bf2_stub.log" ] && break; sleep 0.1; done
check "the client was started" "id=stub" "$(grep '^id=' "$G/bf2_stub.log" 2>/dev/null)"
check "no message" "none" "$(drv no-msgbox)"
check "the main window is hidden" "0" "$(field visible "$(drv window)")"
check "the version file was asked for" "1" "$(uh_requests | grep -c '^GET /ostrel/ver.txt$')"
check "a leftover download is deleted" "no" "$([ -e "$G/BF2_update.bak" ] && echo yes || echo no)"
e2e_stop_launcher

echo "the check: a newer version asks, and Cancel refuses"
uh_version UN-20250101
G=$(update_game_dir refuse UN-20160324)
e2e_start_launcher "$G"
press_update_start
check "the question" "发现新版本|检测到战地2登录器BF2.exe有了新版本，是否更新？" "$(answer_box cancel)"
check "the refusal" "温馨提示|升级被取消！取消升级是无法进入游戏的！
如果您坚持需要进入游戏，请在升级检测关闭自动升级功能" "$(answer_box ok)"
check "nothing started" "no" "$([ -e "$G/bf2_stub.log" ] && echo yes || echo no)"
check "the main window stays" "1" "$(field visible "$(drv window)")"
check "the remote version in the main window's hidden box" "UN-20250101" "$(drv get wangluo_banben)"
check "no update window" "no window" "$(drv window update)"

echo "the check: version texts the host may give"
version_case() {  # description, expected box title (empty: launch), then how the host answers
    local what=$1 expect=$2
    press_update_start
    if [ -z "$expect" ]; then
        for i in $(seq 1 100); do [ -s "$G/bf2_stub.log" ] && break; sleep 0.1; done
        check "$what: launched" "yes" "$([ -s "$G/bf2_stub.log" ] && echo yes || echo no)"
        rm -f "$G/bf2_stub.log"
        drv tray-event 1 >/dev/null  # the main window back from the tray
        drv sleep 300 >/dev/null
    else
        local box
        if [ "$expect" = 发现新版本 ]; then box=$(answer_box cancel); answer_box ok >/dev/null; else box=$(answer_box ok); fi
        check "$what" "$expect" "${box%%|*}"
        check "$what: nothing started" "no" "$([ -e "$G/bf2_stub.log" ] && echo yes || echo no)"
    fi
}
uh_faults "{\"/ostrel/ver.txt\": {\"body_hex\": \"$(printf 'UN-20160324\0after the NUL' | od -An -tx1 | tr -d ' \n')\"}}"
version_case "a NUL ends the version" ""
uh_faults '{}'
uh_version un-20160324
version_case "lower case differs" 发现新版本
uh_version "UN-20160324 "
version_case "a trailing blank differs" 发现新版本
uh_faults '{"/ostrel/ver.txt": {"status": 404}}'
version_case "a 404 page is taken as the version" 发现新版本
check "its text is shown as the remote version" "<html><body>404 Test</body></html>" "$(drv get wangluo_banben)"
uh_faults '{"/ostrel/ver.txt": {"body_hex": ""}}'
version_case "an empty body" 温馨提示
uh_faults '{}'
uh_stop
press_update_start
check "host down" "温馨提示|连接更新服务器升级文件失败，无法进行下一步！
如果您坚持需要进入游戏，请在升级检测关闭自动升级功能" "$(answer_box ok)"
check "host down: nothing started" "no" "$([ -e "$G/bf2_stub.log" ] && echo yes || echo no)"
uh_start
e2e_stop_launcher

echo "the road: question, update window, 立即更新, progress, swap, and the new client launched"
uh_version UN-20250101
uh_faults '{"/ostrel/BF2.exe": {"rate": 100000}}'
uh_clear_log
G=$(update_game_dir road UN-20160324)
e2e_start_launcher "$G"
start_standin "$G"
for i in $(seq 1 100); do [ -s "$G/bf2_stub.log" ] && break; sleep 0.1; done
check "a stand-in client runs" "yes" "$(standin_running)"
rm -f "$G/bf2_stub.log"
press_update_start
check "the question" "发现新版本|检测到战地2登录器BF2.exe有了新版本，是否更新？" "$(answer_box ok)"
drv wait-window update 10000 >/dev/null
check "the main window is hidden" "0" "$(field visible "$(drv window)")"
w=$(drv window update)
check "the update window" "1 510 220 软件升级" "$(field visible "$w") $(field w "$w") $(field h "$w") $(field title "$w")"
check "local version" "UN-20160324" "$(drv get update/bendi_banben)"
check "update host" "127.0.0.1:$UH_PORT" "$(drv get update/update_ip)"
check "automatic update shown as on" "1 0" "$(field checked "$(drv state update/单选框1)") $(field checked "$(drv state update/单选框2)")"
check "status line" "点击立即更新按钮开始自动更新……" "$(drv get update/标签3)"
check "empty status bar" "|||" "$(drv parts update/状态条1)"
click_control update/按钮4
wait_download_begun
check "立即更新 ended the running client" "no" "$(wait_standin_gone)"
check "the remote version shown" "UN-20250101" "$(drv get update/wangluo_banben)"
# The progress display once a second while the download runs.
total=$(stat -c %s "$(uh_client)")
size_kb=$(python3 -c "import math; v=math.floor($total/1024*100+1e-12+0.5)/100; print(('%.13g' % v))")
samples=()
for i in $(seq 1 60); do
    # A tick may run between two reads: a sample counts when the bar stood still around the status bar's read.
    reading=$(drv pos update/进度条1 -- parts update/状态条1 -- pos update/进度条1 -- no-msgbox)
    [ "$(printf '%s' "$reading" | sed -n 4p)" = none ] || break  # the download has ended
    p=$(printf '%s' "$reading" | sed -n 2p)
    [ "$(printf '%s' "$reading" | sed -n 1p)" = "$(printf '%s' "$reading" | sed -n 3p)" ] || continue
    [ -n "${p//|/}" ] && samples+=("$p|$(printf '%s' "$reading" | sed -n 3p)")
    [ "$i" -eq 4 ] && e2e_shot update-progress
    sleep 0.3
done
printf '    %s\n' "${samples[@]}"
[ ${#samples[@]} -gt 0 ] || samples=("none")
check "the total size in part 0" "${size_kb}KB" "$(printf '%s\n' "${samples[@]}" | grep -v '^|' | head -1 | cut -d'|' -f1)"
check_match "speed in part 1" '^[0-9.]+kb/秒$' "$(printf '%s\n' "${samples[-1]}" | cut -d'|' -f2)"
check_match "received in part 2" '^[0-9.]+KB$' "$(printf '%s\n' "${samples[-1]}" | cut -d'|' -f3)"
moving=$(printf '%s\n' "${samples[@]}" | cut -d'|' -f4 | sort -u | grep -v '^0%$' | wc -l)
check "the percentage moved through more than one value" "yes" "$([ "$moving" -ge 2 ] && echo yes || echo no)"
agree=yes
for s in "${samples[@]}"; do
    IFS='|' read -r _ _ _ pct pos <<< "$s"
    [ -z "$pct" ] && continue  # the size came before the first tick
    [ "$pct" = "${pos}%" ] || agree=no
done
check "part 3 is the progress bar's position" "yes" "$agree"
check "the player is told" "Talvern提示|战地2登录器联机版BF2.exe更新完毕！~" "$(answer_box ok 60000)"
drv wait-window-gone update 5000 >/dev/null
check "the update window closed" "no window" "$(drv window update)"
check "the main window is shown" "1" "$(field visible "$(drv window)")"
check "BF2.exe is the new client" "same" "$(same_file "$G/BF2.exe" "$(uh_client)")"
check "the new version is recorded" "UN-20250101" "$(ini_value "$G/BF_config.ini" bf2_exe version)"
check "the download stays" "same" "$(same_file "$G/BF2_update.bak" "$(uh_client)")"
check "no staged copy is left" "no" "$([ -e "$G/BF2_update.tmp" ] && echo yes || echo no)"
check_match "the download used byte ranges" 'GET /ostrel/BF2.exe bytes=[1-9][0-9]*-' "$(uh_requests)"
e2e_shot update-done
press_update_start
for i in $(seq 1 100); do [ -s "$G/bf2_stub.log" ] && break; sleep 0.1; done
check "the next check launches the new client" "id=UN-20250101" "$(grep '^id=' "$G/bf2_stub.log" 2>/dev/null)"
check "without a question" "none" "$(drv no-msgbox)"
e2e_stop_launcher

e2e_finish
