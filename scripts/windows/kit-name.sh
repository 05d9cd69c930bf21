# Sourced: sets QUORIN_WIN_KIT, the kit's folder, named by the versions it
# holds (those of kit-options.sh) and by a digest of the files that decide
# how it is built, so that a changed option builds a new kit beside the old
# one. A QUORIN_WIN_KIT set already names a kit elsewhere, taken as it is.
_kit_here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
_kit_digest="$(cat "$_kit_here/scripts/windows/kit-options.sh" "$_kit_here/cmake/mingw-w64-x86_64.cmake" | sha256sum | cut -c1-10)"
_kit_versions="$(source "$_kit_here/scripts/windows/kit-options.sh" &&
                 echo "qt$qt_version-dcmtk$dcmtk_version-icu$icu_version-openssl$openssl_version")"
QUORIN_WIN_KIT="${QUORIN_WIN_KIT:-${QUORIN_WIN_KIT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorinrelay}/win64-$_kit_versions-$_kit_digest}"
export QUORIN_WIN_KIT
unset _kit_here _kit_digest _kit_versions
