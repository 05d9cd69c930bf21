#!/usr/bin/env bash
# Takes the README's pictures of the real program under Xvfb: the main window
# (listening, lamp green) and the settings dialog. Builds nothing: give it a
# built program.
#
# Usage: scripts/screenshots.sh [path/to/QuorinRelay [output folder]]
#        (defaults: build/QuorinRelay, docs/images)
# Needs: xvfb (xvfb-run), xdotool, imagemagick (import, convert); fonts-wine
# for the Tahoma the windows are designed with.
#
# The program runs from a temporary folder with an example Settings.ini (it
# reads the file beside the executable). An operator is ticked and the local
# port is free, so the automatic start succeeds and no message box holds up
# the window. Nothing is sent anywhere; no window manager, so the pictures show
# the windows' client areas without a frame.
set -euo pipefail

screen="1280x1024x24"

# Part two, run by part one inside xvfb-run: drive the program, take pictures.
if [ "${1:-}" = --under-xvfb ]; then
    work="$2"
    out="$3"
    port="$4"
    pid=""
    # shellcheck disable=SC2317 # run by the EXIT trap
    stop_program() {
        local rc=$?
        set +e
        if [ -n "$pid" ]; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
        fi
        exit "$rc"
    }
    trap stop_program EXIT

    fail() { printf 'screenshots: %s\n' "$*" >&2; exit 1; }

    # Waits for a visible window whose title matches the pattern; prints its id.
    find_window() {
        local pattern="$1" tries="$2" id
        for _ in $(seq "$tries"); do
            id="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)" || true
            if [ -n "$id" ]; then
                echo "$id"
                return 0
            fi
            sleep 0.2
        done
        return 1
    }

    # Crops a window out of a picture of the whole screen and writes a small PNG.
    shoot() {
        local id="$1" target="$2" x y w h
        eval "$(xdotool getwindowgeometry --shell "$id")"
        x="$X" y="$Y" w="$WIDTH" h="$HEIGHT"
        import -window root "$work/screen.png"
        convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage \
            -bordercolor '#8c8c8c' -border 1 -strip "$target"
        if [ "$(stat -c %s "$target")" -gt 60000 ]; then
            convert "$target" -strip -colors 256 "PNG8:$target"
        fi
    }

    TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run" "$work/program/QuorinRelay" >"$work/program.log" 2>&1 &
    pid=$!

    # The automatic start runs before the window shows; a message box in its
    # place means the start failed.
    if ! main="$(find_window '^Quorin Relay: Version' 50)"; then
        box="$(xdotool search --onlyvisible --name '^Quorin Relay' getwindowname %@ 2>/dev/null || true)"
        fail "the main window did not appear${box:+ (a message box is open: $box)}"
    fi
    sleep 1 # let the first paint finish
    if command -v ss >/dev/null && [ -z "$(ss -Hltn "sport = :$port")" ]; then
        fail "the program does not listen on port $port"
    fi
    shoot "$main" "$out/main-window.png"
    colours="$(convert "$out/main-window.png" -format %c histogram:info:-)"
    [[ "$colours" == *"#00FF00"* ]] || fail "the lamp is not green in the picture"

    # "Einstellungen" is an action right on the menu bar, the second of its
    # two entries. Find the two words in the menu bar's top rows (dark
    # columns, split by the gap between them) and click the second one.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    mx="$X" my="$Y" mw="$WIDTH"
    centre="$(convert "$out/main-window.png" -crop "${mw}x12+1+2" +repage -colorspace gray \
        -scale "${mw}x1!" -depth 8 txt:- |
        awk -F'[ ,:()]+' 'NR > 1 && $4 < 235 { print $1 }' |
        awk 'NR == 1 || $1 - prev > 6 { word++; first[word] = $1 } { end[word] = $1; prev = $1 }
             END { if (word >= 2) print int((first[2] + end[2]) / 2) }')"
    [ -n "$centre" ] || fail "cannot find the menu item Einstellungen"
    xdotool mousemove "$((mx + centre))" "$((my + 9))" click 1
    settings="$(find_window '^Einstellungen$' 25)" || fail "the settings dialog did not open"
    sleep 1
    xdotool mousemove 0 0 # no hover highlight
    sleep 0.3
    shoot "$settings" "$out/settings-dialog.png"
    exit 0
fi

here="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-$here/build/QuorinRelay}"
out="${2:-$here/docs/images}"

fail() { printf 'screenshots: %s\n' "$*" >&2; exit 1; }
[ -x "$binary" ] || fail "no program at $binary; build it first: bash scripts/build.sh"
for tool in xvfb-run xdotool import convert iconv; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian: apt-get install xvfb xauth xdotool imagemagick)"
done
[ -f /usr/share/wine/fonts/tahoma.ttf ] || echo "screenshots: fonts-wine is missing; Tahoma falls back to another font" >&2

port_in_use() {
    if command -v ss >/dev/null; then
        [ -n "$(ss -Hltn "sport = :$1" 2>/dev/null)" ] && return 0
    fi
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
# Four digits: the settings dialog's port boxes take at most four. The same
# port each time when it is free, so that the pictures stay the same.
port=""
for try in $(seq 200); do
    candidate=$((try == 1 ? 1104 : 4000 + RANDOM % 6000))
    if ! port_in_use "$candidate"; then
        port="$candidate"
        break
    fi
done
[ -n "$port" ] || fail "no free four-digit port found"

work="$(mktemp -d "${TMPDIR:-/tmp}/quorin-shots.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/tmp" "$work/run" "$out"
chmod 700 "$work/run"
cp "$binary" "$work/program/QuorinRelay"

# Settings.ini is Windows-1252 with CRLF line ends. Anna Müller is on duty.
printf '%s\r\n' \
    '[Archive]' 'AET=ARCHIV' 'IP=127.0.0.1' 'Port=104' \
    '[Local]' 'LocalAET=QUORIN' "LocalPort=$port" 'Debugmode=0' \
    '[Operator]' 'OperatorCount=4' \
    'Operator1=|Jürgen|Weiß|JW' 'Operator2=Checked|Anna|Müller|AM' \
    'Operator3=|Sören|Groß|SG' 'Operator4=|Käthe|Schäfer|KS' |
    iconv -f UTF-8 -t WINDOWS-1252 >"$work/program/Settings.ini"

xvfb-run -a -s "-screen 0 $screen" bash "$0" --under-xvfb "$work" "$out" "$port"
for picture in main-window settings-dialog; do
    printf '%s  %s bytes\n' "$out/$picture.png" "$(stat -c %s "$out/$picture.png")"
done
