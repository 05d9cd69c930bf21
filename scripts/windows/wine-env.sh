# Sourced: the Wine set-up under which the Windows build runs here. A prefix
# of the project's own (its first start takes about 10 s), quiet, without
# the offers to install Mono and Gecko, and with the kit's DLLs, DCMTK's
# tools and openssl.exe on the Windows PATH, and openssl.exe's configuration
# (the tests make their certificates with it). Needs QUORIN_WIN_KIT.
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/quorinrelay/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
_wine_dos() { local p="$1"; echo "Z:${p//\//\\}"; }
export WINEPATH="$(_wine_dos "$QUORIN_WIN_KIT/qt/bin");$(_wine_dos "$QUORIN_WIN_KIT/runtime");$(_wine_dos "$QUORIN_WIN_KIT/dcmtk/bin");$(_wine_dos "$QUORIN_WIN_KIT/openssl/bin")"
export OPENSSL_CONF="$(_wine_dos "$QUORIN_WIN_KIT/openssl/ssl/openssl.cnf")"
unset -f _wine_dos
