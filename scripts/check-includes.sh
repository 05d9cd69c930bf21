#!/usr/bin/env bash
# Folders include only downward: ui/ and dicom/ at the bottom (and not each
# other), settings/ above ui/, operators/ above settings/ and ui/, app/ on
# top. Only dicom/, tests/, bench/ and fuzz/ include dicom/internal/, and of
# the program's folders only dicom/internal/ includes DCMTK. The adapter's
# headers (dicom/*.h) include nothing of dicom/internal/.
# In dicom/internal/ the rooms follow an image's way, each including only
# rooms below it: the floor (dicom/internal/ itself) none, inbound/ the
# floor, outbound/ the floor and inbound/, server/ all of them.
# The core reaches up to the adapter (dicom/*.h) only where
# docs/architecture.md says: the values both sides speak, from any room, and
# the server object and the image, from the one file that hands images up.
# "..." and <...> includes alike; tests/, bench/ and fuzz/ may include
# anything else.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"

rank() {
    case "$1" in
        ui | dicom) echo 0 ;;
        settings) echo 1 ;;
        operators) echo 2 ;;
        app) echo 3 ;;
        *) echo -1 ;;
    esac
}

# The room of a path in dicom/internal/, by height; -1 outside, 9 for a
# room this script has no rule for.
room() {
    case "$1" in
        dicom/internal/inbound/*) echo 1 ;;
        dicom/internal/outbound/*) echo 2 ;;
        dicom/internal/server/*) echo 3 ;;
        dicom/internal/*/*) echo 9 ;;
        dicom/internal/*) echo 0 ;;
        *) echo -1 ;;
    esac
}

# The adapter's headers of plain values, which the core shares.
seam_values=" dicom/ForwardResult.h dicom/AttributeChange.h dicom/ToolkitConnection.h dicom/ArchiveAddress.h dicom/ArchiveTls.h "
# The one file of the core that makes the image and raises it on the server object.
image_handed_up=dicom/internal/server/ImageHandOff.cpp

status=0
fail() {
    echo "$file:$line: $1: $text" >&2
    status=1
}

pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"]'
while IFS= read -r hit; do
    own=${hit#"$root"/}
    file=${own%%:*}
    rest=${own#*:}
    line=${rest%%:*}
    text=${rest#*:}
    [[ $text =~ $pattern ]] || continue
    target=${BASH_REMATCH[1]}
    folder=${file%%/*}
    mine=$(rank "$folder")
    theirs=$(rank "${target%%/*}")
    if ((mine >= 0 && theirs >= 0)) && { ((theirs > mine)) || { ((theirs == mine)) && [[ "${target%%/*}" != "$folder" ]]; }; }; then
        fail "$folder/ may not include ${target%%/*}/"
    fi
    if [[ $target == dicom/internal/* ]]; then
        case "$folder" in
            dicom | tests | bench | fuzz) ;;
            *) fail "only dicom/, tests/, bench/ and fuzz/ include dicom/internal/" ;;
        esac
        [[ $file == dicom/*.h && $file != dicom/internal/* ]] && fail "the adapter's headers include no dicom/internal/"
    fi
    if [[ $target == dcmtk/* ]] && ((mine >= 0)) && [[ $file != dicom/internal/* ]]; then
        fail "only dicom/internal/ includes DCMTK"
    fi
    if [[ $file == dicom/internal/* ]]; then
        here=$(room "$file")
        there=$(room "$target")
        ((here == 9)) && fail "dicom/internal/ has no rule for this room"
        ((there > here)) && fail "a room of dicom/internal/ includes only rooms below it"
        if [[ $target == dicom/* && $target != dicom/internal/* && $seam_values != *" $target "* ]]; then
            case "$file:$target" in
                "$image_handed_up":dicom/ToolkitServer.h | "$image_handed_up":dicom/ToolkitImage.h) ;;
                *) fail "dicom/internal/ includes of the adapter only its values (the image is handed up in $image_handed_up)" ;;
            esac
        fi
    fi
done < <(grep -rnE "$pattern" "$root"/{ui,dicom,settings,operators,app,tests,bench,fuzz} \
             --include='*.h' --include='*.cpp' --exclude-dir=node_modules || true)
exit $status
