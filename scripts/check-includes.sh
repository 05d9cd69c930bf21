#!/usr/bin/env bash
# Folders include only downward: ui/ and dicom/ at the bottom (and not each
# other), settings/ above ui/, operators/ above settings/ and ui/, app/ on
# top. Fails on any #include "<folder>/..." of a folder ranked higher than
# the including file's own, or of ui/ from dicom/ and the other way round.
# tests/, bench/ and fuzz/ may include anything.
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

status=0
for folder in ui dicom settings operators app; do
    own=$(rank "$folder")
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        text=${rest#*:}
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
        theirs=$(rank "$target")
        ((theirs < 0)) && continue
        if ((theirs > own)) || { ((theirs == own)) && [[ "$target" != "$folder" ]]; }; then
            echo "${file#"$root"/}:$line: $folder/ may not include $target/: $text" >&2
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$root/$folder" \
                 --include='*.h' --include='*.cpp' || true)
done
exit $status
