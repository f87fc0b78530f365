# Helpers shared by the tools' end-to-end tests (tools_*.sh); sourced after lib.sh.
# shellcheck shell=bash

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's#/#\\#g')"; }

# A value as the registry holds it, the way `reg query` shows it: "REG_DWORD 0x556", "REG_SZ Chinese"; empty
# when it is missing. Extra arguments go to reg (such as /reg:32).
reg_value() {  # key name [reg options]
    local key=$1 name=$2 value try
    shift 2
    # A value is read again when nothing came back: under load a start of `wine reg` now and then prints
    # nothing at all. What is there does not change between the tries.
    for try in 1 2 3; do
        value=$(wine reg query "$key" /v "$name" "$@" 2>/dev/null | tr -d '\r' |
            awk -v n="$name" '$1 == n { $1 = ""; sub(/^ +/, ""); gsub(/ +/, " "); print; exit }')
        [ -n "$value" ] && break
    done
    printf '%s\n' "$value"
}

# The colour of the text in a screen rectangle over a dark `background` (#RRGGBB): the brightest colour that
# covers a few pixels. Font smoothing blends the text's edges towards the background, never beyond the text's
# own colour.
text_colour() {  # shot left top right bottom background
    convert "$1" -crop "$(($4 - $2))x$(($5 - $3))+$2+$3" +repage -format %c histogram:info:- 2>/dev/null |
        grep -v "$6" | awk '$1 + 0 >= 3' | grep -o '#[0-9A-F]\{6\}' |
        while read -r c; do printf '%d %s\n' $(( 16#${c:1:2} + 16#${c:3:2} + 16#${c:5:2} )) "$c"; done |
        sort -rn | head -1 | cut -d' ' -f2
}

# Prints `expected` when `actual` (#RRGGBB) is within 8 of it in every channel, else `actual`: font smoothing
# may leave a pure white text a shade darker.
near_colour() {  # expected actual
    local e=${1#\#} a=${2#\#} i d
    [ ${#a} -eq 6 ] || { printf '%s' "$2"; return; }
    for i in 0 2 4; do
        d=$(( 16#${e:$i:2} - 16#${a:$i:2} ))
        [ ${d#-} -le 8 ] || { printf '%s' "$2"; return; }
    done
    printf '%s' "$1"
}

# Waits until `file` has at least `n` lines (bounded).
wait_lines() {  # file n
    local i
    for i in $(seq 1 100); do
        [ -f "$1" ] && [ "$(wc -l < "$1")" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# Screen centre of a control, such as "utility/超级链接框2".
centre_of() { local r; r=$(drv screen-rect "$1"); read -r l t rr b <<< "$r"; echo "$(( (l + rr) / 2 )) $(( (t + b) / 2 ))"; }
