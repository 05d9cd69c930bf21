#!/usr/bin/env bash
# Packs the Windows build in $1 into $1/QuorinRelay-<version>-win64.zip: the
# program, the DLLs it loads (followed import by import from the kit), the
# platform and style plugins, Qt's German texts and a qt.conf that finds
# them beside the program. Then checks every import. Prints the zip's path.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
: "${QUORIN_WIN_KIT:?the Windows kit (scripts/windows/kit.sh)}"
version="$(sed -n 's/^project(QuorinRelay VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"
triple=x86_64-w64-mingw32
zip="$build/QuorinRelay-$version-win64.zip"
stage="$build/package/QuorinRelay"

rm -rf "$build/package" "$zip"
mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/translations"
cp "$build/QuorinRelay.exe" "$stage/"
cp "$QUORIN_WIN_KIT/qt/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
cp "$QUORIN_WIN_KIT/qt/plugins/styles/qwindowsvistastyle.dll" "$stage/plugins/styles/"
cp "$QUORIN_WIN_KIT/qt/translations/qtbase_de.qm" "$stage/translations/"
# Paths relative to the program's folder: the zip works wherever it is unpacked.
printf '[Paths]\r\nPrefix = .\r\nPlugins = plugins\r\nTranslations = translations\r\n' >"$stage/qt.conf"

# Every DLL that a shipped file imports and the kit holds goes beside the
# program, and in turn has its imports followed.
imported() { "$triple-objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
queue=("$stage/QuorinRelay.exe" "$stage/plugins/platforms/qwindows.dll" "$stage/plugins/styles/qwindowsvistastyle.dll")
while [ ${#queue[@]} -gt 0 ]; do
    file="${queue[0]}"
    queue=("${queue[@]:1}")
    for dll in $(imported "$file"); do
        [ -e "$stage/$dll" ] && continue
        for dir in "$QUORIN_WIN_KIT/qt/bin" "$QUORIN_WIN_KIT/runtime"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$stage/"
                queue+=("$stage/$dll")
                break
            fi
        done
    done
done
find "$stage" -iname '*.exe' -o -iname '*.dll' | xargs "$triple-strip" --strip-unneeded

(cd "$build/package" && zip -q -r -X "$zip" QuorinRelay)
python3 "$here/scripts/windows/check-imports.py" "$zip" QuorinRelay.exe "$version.0" >&2
echo "$zip"
