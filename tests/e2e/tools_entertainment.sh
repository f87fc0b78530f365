#!/usr/bin/env bash
# The entertainment window (H3): the address it requests (the configured page, the default TV page), its
# controls as created, after a resize and when maximised, a second H3 only bringing it to the front, the
# voice-chat link, Esc, and the program ending with the last window. The system's proxy setting points at a
# loopback server, so every page request shows there with its full address. (Pop-ups cannot be raised here:
# Wine draws no page; kv_win_tests raises the event at the window's handler.)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tools_helpers.bash"

read -r SW SH <<< "$(screen_size)"
LOG=$(mktemp)
e2e_start_http "$LOG"
IS='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
wine reg add "$IS" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$IS" /v ProxyServer /t REG_SZ /d "127.0.0.1:$E2E_HTTP_PORT" /f >/dev/null 2>&1
TV_HOST=$(sed -n 's/.*kTvHost\[\] = "\(.*\)";/\1/p' "$KV_WIN_BUILD/generated/deploy.h")
PAGE="127.0.0.1:$E2E_HTTP_PORT/live?from=cfg"

# A voice-chat client for the "yy" scheme: the stand-in client, which records its command line.
VOICE_DIR=$(mktemp -d "${KV_WINE_ROOT:-/tmp}/voice.XXXXXX")
cp "$KV_WIN_BUILD/tests/BF2.exe" "$VOICE_DIR/voice.exe"
export KV_BF2_LOG="$VOICE_DIR/voice.log"
wine reg add 'HKCR\yy' /v 'URL Protocol' /t REG_SZ /d '' /f >/dev/null 2>&1
wine reg add 'HKCR\yy\shell\open\command' /ve /t REG_SZ /d "\"$(winpath "$VOICE_DIR/voice.exe")\" \"%1\"" /f >/dev/null 2>&1

write_config() {  # url (the title is GBK, as the launcher stores it)
    default_config_text | sed "s#^url=.*\r\$#url=$1\r#; s#^title=.*\r\$#title=战地之家\r#" | iconv -f UTF-8 -t GBK
}
requested() { grep -c -F "GET http://$1 HTTP" "$LOG"; }
wait_request() { local i; for i in $(seq 1 60); do [ "$(requested "$1")" -ge 1 ] && return 0; sleep 0.25; done; return 1; }
places() { local n s; for n in 播放器1 T1 T0 T4; do s=$(drv state "entertainment/$n"); printf '%s ' "$n" "$(field x "$s")" "$(field y "$s")" "$(field w "$s")" "$(field h "$s")"; done; }
size_of() { local w; w=$(drv window entertainment); echo "$(field w "$w") $(field h "$w")"; }
expected_places() {  # outer width, height after a change of size
    local row=$(( $2 - 80 + 10 ))
    echo "播放器1 0 0 $1 $(( $2 - 80 )) T1 16 $row 96 24 T0 448 $row 112 24 T4 560 $row 464 24 "
}

G=$(e2e_game_dir tv)
write_config "$PAGE" > "$G/BF_config.ini"
e2e_start_launcher "$G"
check "site title from the settings" "战地之家" "$(drv get bfbiaoti)"

echo "H3 opens the window on the configured page"
read -r x y <<< "$(centre_of H3)"
xdotool mousemove "$x" "$y"; sleep 0.2; xdotool click 1
check "window opened" "ok" "$(drv wait-window entertainment 10000)"
w=$(drv window entertainment)
check "caption" "在线娱乐" "$(field title "$w")"
check "size 1024 x 710, centred" "1024 710 $(( (SW - 1024) / 2 )) $(( (SH - 710) / 2 ))" \
    "$(field w "$w") $(field h "$w") $(field x "$w") $(field y "$w")"
wait_request "$PAGE"
check "the page requested: http:// and the configured url" "1" "$(requested "$PAGE")"
check "T0 shows the site title" "战地之家" "$(drv get entertainment/T0)"
check "T1" "播放电视直播" "$(drv get entertainment/T1)"
check "T4" "注意：根据网络响应速度，需要稍等片刻后才能正常使用~，多等几秒是不会怀孕的~" "$(drv get entertainment/T4)"
check "places as created: the browser 100 pixels short, the row as laid out" \
    "播放器1 0 0 1024 610 T1 16 656 96 24 T0 448 656 112 24 T4 560 655 464 24 " "$(places)"
check "the main window stays usable" "1" "$(field enabled "$(drv window-state main)")"
e2e_shot tools-entertainment

echo "resized by its corner, then maximised and restored: the row follows 10 pixels below the browser"
w=$(drv window entertainment)
cx=$(( $(field x "$w") + 1024 - 2 )); cy=$(( $(field y "$w") + 710 - 2 ))
xdotool mousemove "$cx" "$cy"; sleep 0.3; xdotool mousedown 1; sleep 0.3
for i in 1 2 3 4 5; do xdotool mousemove $(( cx - 24 * i )) $(( cy - 18 * i )); sleep 0.1; done
sleep 0.3; xdotool mouseup 1; sleep 0.8
read -r rw rh <<< "$(size_of)"
check "the frame was dragged" "yes" "$([ "$rw" -lt 1024 ] && [ "$rh" -lt 710 ] && echo yes)"
check "places after the resize" "$(expected_places "$rw" "$rh")" "$(places)"
w=$(drv window entertainment)
xdotool mousemove $(( $(field x "$w") + 300 )) $(( $(field y "$w") + 10 )); sleep 0.2
xdotool click --repeat 2 --delay 80 1; sleep 1
check "maximised by a double-click on the caption" "1" "$(field zoomed "$(drv window-state entertainment)")"
read -r mw mh <<< "$(size_of)"
check "places when maximised" "$(expected_places "$mw" "$mh")" "$(places)"
e2e_shot tools-entertainment-maximised
drv sys-command entertainment restore >/dev/null; sleep 0.8
check "places after restoring" "$(expected_places "$rw" "$rh")" "$(places)"

echo "a second H3 only brings the window to the front, restored when minimised"
write_config "127.0.0.1:$E2E_HTTP_PORT/changed" > "$G/BF_config.ini"
drv sys-command entertainment minimize >/dev/null; sleep 0.5
check "minimised" "1" "$(field iconic "$(drv window-state entertainment)")"
drv click H3 >/dev/null; sleep 1
s=$(drv window-state entertainment)
check "still one window" "1" "$(field count "$s")"
check "restored" "0" "$(field iconic "$s")"
check "in front" "1" "$(field foreground "$s")"
check "not reloaded, the new url waits" "0 1" "$(requested "127.0.0.1:$E2E_HTTP_PORT/changed") $(requested "$PAGE")"

echo "T1 goes back to the TV page; T0 opens the voice-chat channel"
drv click entertainment/T1 >/dev/null
wait_request "$TV_HOST:80/tv"
check "the default TV page requested" "1" "$(requested "$TV_HOST:80/tv")"
read -r x y <<< "$(centre_of entertainment/T0)"
xdotool mousemove "$x" "$y"; sleep 0.2; xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
wait_lines "$KV_BF2_LOG" 1
h=$KV_WIN_BUILD/generated/deploy.h
sid=$(sed -n 's/.*kVoiceChannel\[\] = "\(.*\)";/\1/p' "$h"); sub=$(sed -n 's/.*kVoiceSubchannel\[\] = "\(.*\)";/\1/p' "$h")
check_match "the voice-chat client got the channel" "yy://pd-\[sid=$sid&subid=$sub\]" "$(head -1 "$KV_BF2_LOG")"

echo "Esc closes it; the next H3 reads the url again"
w=$(drv window entertainment)
xdotool mousemove $(( $(field x "$w") + 900 )) $(( $(field y "$w") + 20 )); sleep 0.2; xdotool click 1; sleep 0.2
read -r x y <<< "$(centre_of entertainment/T4)"
xdotool mousemove "$x" "$y"; sleep 0.2; xdotool click 1; sleep 0.3
xdotool key Escape
check "closed by Esc" "ok" "$(drv wait-window-gone entertainment 5000)"
check "the launcher runs on" "1" "$(field visible "$(drv window)")"
write_config "" > "$G/BF_config.ini"
: > "$LOG"
drv click H3 >/dev/null
drv wait-window entertainment 10000 >/dev/null
wait_request "$TV_HOST:80/tv"
check "an empty url: the default TV page" "1" "$(requested "$TV_HOST:80/tv")"

echo "closing the main window leaves the program running until the last window is gone"
drv close >/dev/null
check "main window gone" "ok" "$(drv wait-gone 5000)"
check "the entertainment window stays" "1" "$(field visible "$(drv window entertainment)")"
check "the launcher still runs" "yes" "$(kill -0 "$E2E_LAUNCHER_PID" 2>/dev/null && echo yes)"
drv close-window entertainment >/dev/null
e2e_wait_launcher_exit
check "it ends with the last window, exit code 0" "0" "$E2E_EXIT"

echo "the close button ends the program with the entertainment window open"
e2e_start_launcher "$G"
drv click H3 >/dev/null
drv wait-window entertainment 10000 >/dev/null
drv press 图形按钮4 >/dev/null
e2e_wait_launcher_exit
check "exit code 0" "0" "$E2E_EXIT"
check "no window left" "ok" "$(drv wait-window-gone entertainment 5000)"

e2e_finish
