# Sourced: sets QUORIN_WIN_KIT, the kit's folder, named by the versions it
# holds and by a digest of the files that decide how it is built, so that a
# changed option builds a new kit beside the old one. A QUORIN_WIN_KIT set
# already names a kit elsewhere, taken as it is.
_kit_here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
_kit_digest="$(cat "$_kit_here/scripts/windows/kit-options.sh" "$_kit_here/cmake/mingw-w64-x86_64.cmake" | sha256sum | cut -c1-10)"
QUORIN_WIN_KIT="${QUORIN_WIN_KIT:-${QUORIN_WIN_KIT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorinrelay}/win64-qt6.4.2-dcmtk3.6.7-icu72.1-$_kit_digest}"
export QUORIN_WIN_KIT
unset _kit_here _kit_digest
