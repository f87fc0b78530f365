#!/usr/bin/env bash
# The desktop shortcut (H2), read back through the shell's own link interface: target, working directory (a
# folder with blanks and Chinese characters, and a drive root), icon, description, window style; an old
# shortcut replaced; a renamed launcher; the failures.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tools_helpers.bash"

DESKTOP=$(ls -d "$WINEPREFIX"/drive_c/users/*/Desktop | grep -v '/Public/' | head -1)
LNK="$DESKTOP/Korvalen.lnk"
OK_MESSAGE="温馨提示|已经在桌面创建快捷方式"
FAIL_MESSAGE="温馨提示|没有能在桌面创建快捷方式。 请确认桌面文件夹可以写入后再点一次，或者右键点击启动器，选择“发送到”→“桌面快捷方式”。"

press_h2() {
    drv press H2 >/dev/null
    drv msgbox 20000 | paste -sd' '
    drv msgbox-ok >/dev/null
    sleep 0.3
}
link() { drv read-link "$(winpath "$LNK")"; }
link_field() { printf '%s\n' "$2" | tr '|' '\n' | sed -n "s/^$1=//p"; }

shortcut_case() {  # title game-dir exe windows-dir
    local title=$1 dir=$2 exe=$3 wdir=$4 l
    echo "$title"
    default_config_text > "$dir/BF_config.ini"
    e2e_start_launcher "$dir" "$exe"
    check "$title: message" "$OK_MESSAGE" "$(press_h2)"
    l=$(link)
    local target="$wdir\\${exe##*\\}"
    [[ "$exe" == *\\* ]] || target="$wdir\\$exe"
    check "$title: target" "$target" "$(link_field target "$l")"
    check "$title: working directory" "$wdir\\" "$(link_field dir "$l")"
    check "$title: icon" "$target,0" "$(link_field icon "$l")"
    check "$title: description" "Powered by Talvern" "$(link_field description "$l")"
    check "$title: normal window" "1" "$(link_field show "$l")"
    check "$title: no arguments, no hotkey" "|0" "$(link_field args "$l")|$(link_field hotkey "$l")"
    e2e_stop_launcher
}

G=$(e2e_game_dir "战地 2 Battlefield")
printf 'not a shortcut' > "$LNK"
shortcut_case "a folder with blanks and Chinese characters" "$G" Korvalen.exe "$(winpath "$G")"

O=$(e2e_game_dir other)
shortcut_case "a second launcher replaces the shortcut that points elsewhere" "$O" Korvalen.exe "$(winpath "$O")"

cp "$G/Korvalen.exe" "$G/战地启动器.exe"
shortcut_case "a renamed launcher" "$G" 战地启动器.exe "$(winpath "$G")"

R=$(e2e_game_dir root)
ln -sfn "$R" "$WINEPREFIX/dosdevices/r:"
shortcut_case "a launcher at the root of a drive" "$R" 'R:\Korvalen.exe' 'R:'
rm -f "$WINEPREFIX/dosdevices/r:"

echo "a shortcut that cannot be saved is reported"
rm -f "$LNK"; mkdir "$LNK"
e2e_start_launcher "$G"
check "failure message" "$FAIL_MESSAGE" "$(press_h2)"
check "no shortcut file" "no" "$([ -f "$LNK" ] && echo yes || echo no)"
e2e_stop_launcher
rmdir "$LNK"

echo "without the shell link component the old shortcut is removed and the failure reported"
printf 'an old shortcut' > "$LNK"
for key in 'HKCR\CLSID\{72C24DD5-D70A-438B-8A42-98424B88AFB8}' 'HKCR\WshShell' \
           'HKLM\Software\Classes\CLSID\{72C24DD5-D70A-438B-8A42-98424B88AFB8}'; do
    wine reg delete "$key" /f >/dev/null 2>&1 || true
done
e2e_start_launcher "$G"
check "failure message" "$FAIL_MESSAGE" "$(press_h2)"
check "the old shortcut is gone" "no" "$([ -e "$LNK" ] && echo yes || echo no)"
e2e_shot tools-shortcut-failure
e2e_stop_launcher

e2e_finish
