#!/usr/bin/env bash
# The update road when things go wrong: the host drops, stalls, gives no length or no client; the update window
# is closed during the download; the client is held by a running program at swap time; the launcher is ended
# during the download by its close button, by a close request and by the end of the session. After each one
# BF2.exe is either the old client byte for byte with the old version recorded, or the whole new client with
# the new version: never anything between.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/update_common.bash"

uh_start
uh_version UN-20250101
uh_offer_client UN-20250101 1500000
RELEASE="$UH_DIR/release"

# Walks the road to a running download: 更新启动器, OK, the update window, 立即更新.
begin_update() {  # game-dir
    e2e_start_launcher "$1"
    uh_clear_log
    press_update_start
    answer_box ok >/dev/null
    drv wait-window update 10000 >/dev/null
    click_control update/按钮4
    wait_download_begun || e2e_log "the download did not begin"
}
# The old client and version, or the new client and version.
expect_whole() {  # name game-dir old|new
    local G=$2 expected_file expected_version
    if [ "$3" = new ]; then expected_file=$(uh_client); expected_version=UN-20250101
    else expected_file=$OLD_CLIENT; expected_version=UN-20160324; fi
    check "$1: BF2.exe is the $3 client, whole" "same" "$(same_file "$G/BF2.exe" "$expected_file")"
    check "$1: the recorded version goes with it" "$expected_version" "$(ini_value "$G/BF_config.ini" bf2_exe version)"
    check "$1: no staged copy is left" "no" "$([ -e "$G/BF2_update.tmp" ] && echo yes || echo no)"
}
# Waits, with a generous bound, for the launcher process to end; sets E2E_EXIT (124: it did not end).
wait_exit() {
    local pid=$E2E_LAUNCHER_PID i
    E2E_EXIT=124
    for i in $(seq 1 300); do
        if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; E2E_EXIT=$?; break; fi
        sleep 0.1
    done
    E2E_LAUNCHER_PID=""
}
OLD_CLIENT=$(mktemp)
cp "$KV_WIN_BUILD/tests/BF2.exe" "$OLD_CLIENT"
FAILED_KEPT="您现有的BF2.exe没有被改动，可以继续使用。"

echo "the host drops every answer at the same place: the update fails and the old client stays"
uh_faults '{"/ostrel/BF2.exe": {"drop_at": 600000}}'
G=$(update_game_dir drop UN-20160324)
begin_update "$G"
box=$(answer_box ok 60000)
check_match "drop: the player is told it failed" "^温馨提示\|BF2.exe更新失败：.*$FAILED_KEPT" "$(printf '%s' "$box" | tr '\n' ' ')"
expect_whole drop "$G" old
check "drop: the main window is shown" "1" "$(field visible "$(drv window)")"
e2e_stop_launcher

echo "no length, and no client on the host"
uh_faults '{"/ostrel/BF2.exe": {"no_length": true}}'
G=$(update_game_dir nolength UN-20160324)
begin_update "$G"
# The message names the reason the engine gives.
check_match "no length: told" "^温馨提示\|BF2.exe更新失败：更新服务器没有告知文件大小，无法确认下载是否完整。 $FAILED_KEPT\$" \
    "$(answer_box ok 60000 | tr '\n' ' ' | sed 's/ $//')"
expect_whole "no length" "$G" old
drv wait-window-gone update 5000 >/dev/null
uh_faults '{"/ostrel/BF2.exe": {"status": 404}}'
uh_clear_log
click_control 更新启动器
answer_box ok >/dev/null
drv wait-window update 10000 >/dev/null
click_control update/按钮4
check_match "404: told" "^温馨提示\|BF2.exe更新失败：更新服务器上找不到BF2.exe。 $FAILED_KEPT\$" \
    "$(answer_box ok 60000 | tr '\n' ' ' | sed 's/ $//')"
expect_whole 404 "$G" old
e2e_stop_launcher

echo "the host stalls once for longer than the receive time-out"
uh_faults '{"/ostrel/BF2.exe": {"stall_at": 600000, "stall_s": 15, "stall_times": 1}}'
G=$(update_game_dir stall UN-20160324)
begin_update "$G"
box=$(answer_box ok 90000)
if [[ "$box" == Talvern* ]]; then expect_whole stall "$G" new; else expect_whole stall "$G" old; fi
e2e_log "stall ended with: $box"
e2e_stop_launcher

echo "the update window closed during the download changes nothing about the result"
rm -f "$RELEASE"
uh_faults "{\"/ostrel/BF2.exe\": {\"stall_at\": 600000, \"stall_s\": 60, \"release\": \"$RELEASE\"}}"
G=$(update_game_dir closed UN-20160324)
begin_update "$G"
click_control update/标签3
xdotool key Escape
drv wait-window-gone update 5000 >/dev/null
check "closed: the window went, the main window stays hidden" "no window|0" "$(drv window update)|$(field visible "$(drv window)")"
touch "$RELEASE"
check "closed: the update still completes" "Talvern提示|战地2登录器联机版BF2.exe更新完毕！~" "$(answer_box ok 60000)"
expect_whole closed "$G" new
check "closed: the main window is shown" "1" "$(field visible "$(drv window)")"
e2e_stop_launcher

echo "BF2.exe held by a running client at swap time: the old client stays"
rm -f "$RELEASE"
G=$(update_game_dir held UN-20160324)
begin_update "$G"
start_standin "$G" KV_BF2_HOLD=1
for i in $(seq 1 100); do [ -s "$G/bf2_stub.log" ] && break; sleep 0.1; done
touch "$RELEASE"
check "held: told why" "温馨提示|新的BF2.exe已下载，但无法替换旧文件：BF2.exe正在被使用（游戏可能仍在运行），请关闭游戏后再更新。
$FAILED_KEPT" "$(answer_box ok 60000)"
kill "$STANDIN_PID" 2>/dev/null; wait "$STANDIN_PID" 2>/dev/null
expect_whole held "$G" old
check "held: the complete download stays for the next try" "same" "$(same_file "$G/BF2_update.bak" "$(uh_client)")"
e2e_stop_launcher

echo "the launcher ended during a download ends cleanly, whatever ends it"
rm -f "$RELEASE"
ended_cleanly() {  # name game-dir
    wait_exit
    check "$1: the launcher ended, exit code 0" "0" "$E2E_EXIT"
    expect_whole "$1" "$2" old
}
# The close button, after the update window was closed with the download still running.
G=$(update_game_dir button UN-20160324)
e2e_start_launcher "$G"
uh_clear_log
click_control H1
drv wait-window update 10000 >/dev/null
click_control update/按钮4
wait_download_begun
click_control update/标签3
xdotool key Escape
drv wait-window-gone update 5000 >/dev/null
e2e_shot update-before-close
click_control 图形按钮4
ended_cleanly "close button" "$G"
# A close request (the system's close command) with the update window open: the launcher goes on until the
# update window is closed too, then ends.
G=$(update_game_dir request UN-20160324)
begin_update "$G"
drv close >/dev/null
drv wait-gone 5000 >/dev/null
check "close request: the update window stays meanwhile" "1" "$(field visible "$(drv window update)")"
drv close-window update >/dev/null
ended_cleanly "close request" "$G"
# The end of the session.
G=$(update_game_dir session UN-20160324)
begin_update "$G"
timeout 60 wineboot --end-session
ended_cleanly "end of session" "$G"
touch "$RELEASE"

e2e_finish
