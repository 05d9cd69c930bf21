#!/usr/bin/env bash
# A relay from end to end on this machine, with the DCMTK command-line tools:
#
#   storescu --> QuorinRelay (stamps Operators' Name) --> storescp (archive)
#
# Starts a local archive, writes an example Settings.ini beside a copy of the
# program, starts the program, sends a few generated images through it and
# shows what arrived in the archive and the program's debug log. Everything
# runs on 127.0.0.1 in a temporary folder; everything started here is stopped
# again, by its process id, and the folder is removed.
#
# Usage: scripts/demo.sh [path/to/QuorinRelay]   (default: build/QuorinRelay)
# Environment: IMAGES=<n> (default 3), KEEP=1 keeps the temporary folder.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-$here/build/QuorinRelay}"
images="${IMAGES:-3}"

say() { printf '\n== %s\n' "$*"; }
fail() { printf 'demo: %s\n' "$*" >&2; exit 1; }

[ -x "$binary" ] || fail "no program at $binary; build it first: bash scripts/build.sh"
for tool in storescp storescu echoscu dump2dcm dcmdump; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian: apt-get install dcmtk)"
done
[[ "$images" =~ ^[1-9][0-9]?$ ]] || fail "IMAGES must be a number from 1 to 99"

work="$(mktemp -d "${TMPDIR:-/tmp}/quorin-demo.XXXXXX")"
relay_pid=""
archive_pid=""

stop_pid() {
    local pid="$1"
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local rc=$?
    set +e
    stop_pid "$relay_pid"
    stop_pid "$archive_pid"
    if [ "${KEEP:-0}" = 1 ]; then
        echo "Kept: $work"
    else
        rm -rf "$work"
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A TCP port nothing listens on (the program and storescp listen on every
# interface, so the test covers all of them when ss is there).
port_in_use() {
    if command -v ss >/dev/null; then
        [ -n "$(ss -Hltn "sport = :$1" 2>/dev/null)" ] && return 0
    fi
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
taken_ports=" "
free_port() {
    local port
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 30000))
        case "$taken_ports" in *" $port "*) continue ;; esac
        if ! port_in_use "$port"; then
            taken_ports+="$port "
            echo "$port"
            return 0
        fi
    done
    return 1
}

# Waits until a DICOM peer answers C-ECHO on the port, or gives up.
wait_for_echo() {
    local port="$1" pid="$2" seconds="$3"
    for _ in $(seq $((seconds * 5))); do
        kill -0 "$pid" 2>/dev/null || return 1
        if TCP_NODELAY=1 echoscu -aet DEMO -aec ECHO 127.0.0.1 "$port" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}

new_uid() { echo "2.25.1$(od -An -N8 -tu8 /dev/urandom | tr -d ' \n')"; }

archive_port="$(free_port)" || fail "no free port for the archive"
relay_port="$(free_port)" || fail "no free port for the relay"

say "Archive: storescp on 127.0.0.1:$archive_port (AE title ARCHIVE)"
mkdir -p "$work/archive"
TCP_NODELAY=1 storescp -aet ARCHIVE +B -od "$work/archive" "$archive_port" >"$work/storescp.log" 2>&1 &
archive_pid=$!
wait_for_echo "$archive_port" "$archive_pid" 10 || fail "storescp did not start: $(cat "$work/storescp.log")"

say "Program folder: $work/program"
mkdir -p "$work/program"
cp "$binary" "$work/program/QuorinRelay"
# Settings.ini is Windows-1252 text with CRLF line ends; this one is plain ASCII.
printf '%s\r\n' \
    '[Archive]' 'AET=ARCHIVE' 'IP=127.0.0.1' "Port=$archive_port" \
    '[Local]' 'LocalAET=QUORIN' "LocalPort=$relay_port" 'Debugmode=1' \
    '[Operator]' 'OperatorCount=2' 'Operator1=|Erika|Beispiel|EB' 'Operator2=Checked|Max|Muster|MM' \
    >"$work/program/Settings.ini"
sed 's/\r$//; s/^/    /' "$work/program/Settings.ini"

say "Relay: QuorinRelay listening on 127.0.0.1:$relay_port, operator on duty: Max Muster (MM)"
platform=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    platform=(env QT_QPA_PLATFORM=offscreen)
    echo "No display: the window is drawn off screen."
fi
# Received images wait in a temporary folder of the program's own; keep it in here.
mkdir -p "$work/tmp"
TMPDIR="$work/tmp" "${platform[@]}" "$work/program/QuorinRelay" >"$work/relay.log" 2>&1 &
relay_pid=$!
if ! wait_for_echo "$relay_port" "$relay_pid" 20; then
    fail "the program does not listen on $relay_port (it may be showing a message box); its output: $(cat "$work/relay.log")"
fi
echo "It answers C-ECHO."

say "Sender: $images generated CT images (256x256, random pixels)"
mkdir -p "$work/images"
study="$(new_uid)"
series="$(new_uid)"
files=()
for i in $(seq "$images"); do
    head -c $((256 * 256 * 2)) /dev/urandom >"$work/images/pixels$i.raw"
    cat >"$work/images/image$i.dump" <<EOF
(0002,0010) UI =LittleEndianExplicit
(0008,0016) UI =CTImageStorage
(0008,0018) UI [$(new_uid)]
(0008,0060) CS [CT]
(0008,1070) PN [SENDER^WAS^HERE]
(0010,0010) PN [Beispiel^Erika]
(0010,0020) LO [DEMO-1]
(0020,000d) UI [$study]
(0020,000e) UI [$series]
(0020,0013) IS [$i]
(0028,0002) US 1
(0028,0004) CS [MONOCHROME2]
(0028,0010) US 256
(0028,0011) US 256
(0028,0100) US 16
(0028,0101) US 16
(0028,0102) US 15
(0028,0103) US 0
(7fe0,0010) OW =$work/images/pixels$i.raw
EOF
    dump2dcm +te "$work/images/image$i.dump" "$work/images/image$i.dcm"
    files+=("$work/images/image$i.dcm")
done
echo "Operators' Name as sent: $(dcmdump +P 0008,1070 "${files[0]}" | sed 's/ *#.*//')"

say "storescu -aet MODALITY -aec QUORIN 127.0.0.1 $relay_port ..."
if ! TCP_NODELAY=1 storescu -aet MODALITY -aec QUORIN 127.0.0.1 "$relay_port" "${files[@]}" >"$work/storescu.log" 2>&1; then
    cat "$work/storescu.log" >&2
    fail "storescu reports a failed store"
fi
echo "storescu: every image stored (the relay answered each one only after the archive took it)."

say "Arrived in the archive"
arrived=0
for _ in $(seq 50); do
    arrived="$(find "$work/archive" -type f | wc -l)"
    [ "$arrived" -ge "$images" ] && break
    sleep 0.1
done
for file in "$work/archive"/*; do
    [ -f "$file" ] || continue
    printf '%s  %s\n' "$(basename "$file")" "$(dcmdump +P 0008,1070 "$file" | sed 's/ *#.*//')"
done
[ "$arrived" -eq "$images" ] || fail "expected $images images in the archive, found $arrived"

say "Log/Debug.txt"
sed 's/\r$//; s/^/    /' "$work/program/Log/Debug.txt"

say "Done: $images images relayed and stamped with MM. Stopping storescp and the program."
