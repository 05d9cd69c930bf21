#!/usr/bin/env bash
# Builds the Windows kit: Qt, ICU, OpenSSL and DCMTK for x86_64-w64-mingw32, from
# Debian 12's source packages, into a cache folder outside the checkout.
# Does nothing when that folder is complete. Prints the kit's path last.
#
#   bash scripts/windows/kit.sh          # build when missing
#   bash scripts/windows/kit.sh --path   # print where the kit is (or would be)
#
# QUORIN_WIN_KIT_CACHE chooses the cache (default ~/.cache/quorinrelay).
set -eEuo pipefail
# All in one function: bash reads it whole before running it, so the file
# may change while a kit builds.
main() {
here="$(cd "$(dirname "$0")/../.." && pwd)"
source "$here/scripts/windows/kit-name.sh"
source "$here/scripts/windows/kit-options.sh"
[ "${1:-}" = --path ] && { echo "$QUORIN_WIN_KIT"; exit 0; }
if [ -f "$QUORIN_WIN_KIT/.complete" ]; then
    echo "$QUORIN_WIN_KIT"
    exit 0
fi

triple=x86_64-w64-mingw32
jobs="$(nproc)"

bash "$here/scripts/windows/install-cross-deps.sh"

# Built in place (the installed CMake files name their own paths); the
# stamp .complete says it is whole.
work="$QUORIN_WIN_KIT.work"
kit="$QUORIN_WIN_KIT"
mkdir -p "$work" "$kit"
log() { echo "== [kit ${SECONDS} s] $*"; }
trap 'echo "kit: a stage failed; its log is in $work" >&2' ERR
# A stage that finished leaves a stamp, so a kit build that was cut off
# goes on where it stopped.
stage() { [ -f "$work/$1.done" ]; }
done_stage() { touch "$work/$1.done"; }

# ccache with paths taken relative to the work folder: a kit built anew
# with other options compiles only what they change.
export CCACHE_BASEDIR="$work"
launcher=()
cc_launcher=""
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cc_launcher="ccache "
fi

# --- sources ---------------------------------------------------------------
# A Debian version, when given, is the one fetched; else apt-get's choice.
unpack() { # package upstream-version [Debian version]: the source with Debian's patches applied
    local package="$1" version="$2" debian="${3:-}"
    mkdir -p "$work/src"
    (cd "$work/src" && apt-get source -q --download-only "$package${debian:+=$debian}" >>"$work/sources.log" 2>&1)
    local dsc
    dsc="$(ls "$work/src/${package}_${debian}"*.dsc | head -1)"
    case "$(basename "$dsc")" in
        "${package}_${version}"*) ;;
        *) echo "kit: $package: expected $version, Debian gives $(basename "$dsc")" >&2; exit 1 ;;
    esac
    (cd "$work/src" && rm -rf "$package.src" && dpkg-source -x "$(basename "$dsc")" "$package.src" >>"$work/sources.log" 2>&1)
}
if ! stage sources; then
    log "sources: qt6-base, icu, openssl, dcmtk"
    unpack qt6-base "$qt_version"
    unpack icu "$icu_version"
    unpack openssl "$openssl_version" "$openssl_debian"
    unpack dcmtk "$dcmtk_version"
    done_stage sources
fi

# --- ICU: character-set conversion for DCMTK (Windows has no iconv) --------
# Built twice: for this machine (its tools package the data), then for
# Windows, static: the common library and its data. The data keeps only the converters and their aliases,
# which is all DCMTK asks of ICU: a tenth of the full data's size.
if ! stage icu-host; then
    log "ICU for this machine (its tools)"
    rm -rf "$work/icu-host" && mkdir -p "$work/icu-host"
    (cd "$work/icu-host" && "$work/src/icu.src/source/configure" -q --disable-tests --disable-samples --disable-extras \
            >"$work/icu-host.log" 2>&1 && make -s -j"$jobs" >>"$work/icu-host.log" 2>&1)
    done_stage icu-host
fi
if ! stage icu-data; then
    log "ICU data: converters only"
    dat="$work/src/icu.src/source/data/in/icudt72l.dat"
    # icupkg names the items by the file's name: the full copy keeps it.
    full="$work/icu-full/icudt72l.dat"
    [ -f "$full" ] || { mkdir -p "$work/icu-full" && cp "$dat" "$full"; }
    export LD_LIBRARY_PATH="$work/icu-host/lib"
    "$work/icu-host/bin/icupkg" -l "$full" | grep -vE '\.cnv$|^cnvalias\.icu$' >"$work/icu-drop.txt"
    "$work/icu-host/bin/icupkg" -r "$work/icu-drop.txt" "$full" "$dat"
    unset LD_LIBRARY_PATH
    done_stage icu-data
fi
if ! stage icu; then
    log "ICU for Windows"
    rm -rf "$work/icu-win" && mkdir -p "$work/icu-win"
    (cd "$work/icu-win" &&
        CC="$triple-gcc-posix" CXX="$triple-g++-posix" CFLAGS="-O2" CXXFLAGS="-O2" \
        "$work/src/icu.src/source/configure" -q --host="$triple" --with-cross-build="$work/icu-host" \
            --prefix="$kit/icu" "${icu_options[@]}" >"$work/icu.log" 2>&1 &&
        mkdir -p lib bin "$kit/icu/bin" &&
        for part in stubdata common data; do make -s -j"$jobs" -C "$part" >>"$work/icu.log" 2>&1 || exit 1; done &&
        make -s -C common install >>"$work/icu.log" 2>&1 && make -s -C data install >>"$work/icu.log" 2>&1)
    # The common library and the data, no more: the rest of ICU (formatting,
    # collation) is nothing DCMTK uses. For Windows ICU installs its static
    # data as bin/sicudt.a; the linker looks for lib/libsicudt.a.
    mv "$kit/icu/bin/sicudt.a" "$kit/icu/lib/libsicudt.a"
    done_stage icu
fi

# --- OpenSSL: TLS for DCMTK; openssl.exe for the tests' certificates -------
# Static libraries and the program, linked statically too (it needs no DLL
# beside it); the compiler for Windows given whole (ccache before it), the
# folders it reads at run time given to make (kit-options.sh).
if ! stage openssl; then
    log "OpenSSL $openssl_version for Windows (static, and openssl.exe)"
    rm -rf "$work/openssl-build" && mkdir -p "$work/openssl-build"
    (cd "$work/openssl-build" &&
        CC="$cc_launcher$triple-gcc-posix" AR="$triple-ar" RANLIB="$triple-ranlib" RC="$triple-windres" \
        perl "$work/src/openssl.src/Configure" "${openssl_options[@]}" --prefix="$kit/openssl" --libdir=lib \
            >"$work/openssl.log" 2>&1 &&
        make -j"$jobs" build_sw LDFLAGS=-static "${openssl_dirs[@]}" >>"$work/openssl.log" 2>&1 &&
        make install_sw >>"$work/openssl.log" 2>&1)
    # The install makes the folders for engines and modules, empty: none is built.
    rmdir "$kit/openssl/lib/engines-3" "$kit/openssl/lib/ossl-modules"
    # OpenSSL's own configuration file, for the tests' openssl.exe req
    # (-config, or OPENSSL_CONF): the program's default is a Windows folder.
    mkdir -p "$kit/openssl/ssl"
    cp "$work/src/openssl.src/apps/openssl.cnf" "$kit/openssl/ssl/"
    done_stage openssl
fi

# --- Qt: the modules the program and its tests use -------------------------
# The host tools (moc, rcc, uic) are those of Debian's own Qt packages.
if ! stage qt; then
    log "Qt $qt_version for Windows (Core, Gui, Widgets, Network, Test)"
    rm -rf "$work/qt-build"
    cmake -S "$work/src/qt6-base.src" -B "$work/qt-build" -G Ninja "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$kit/qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        "${qt_options[@]}" >"$work/qt-configure.log" 2>&1
    cmake --build "$work/qt-build" --parallel "$jobs" >"$work/qt-build.log" 2>&1
    cmake --install "$work/qt-build" >/dev/null
    mkdir -p "$kit/qt/translations"
    # Translations are data, the same on every platform: Debian's file as it is.
    cp /usr/share/qt6/translations/qtbase_de.qm "$kit/qt/translations/"
    done_stage qt
fi

# --- DCMTK: the DICOM toolkit, its data dictionary built in ----------------
# Its configure checks run under Wine (DCMTK's own support for that), which
# asks where the compiler's C++ runtime lies.
gcc_dir="$(dirname "$("$triple-g++-posix" -print-libgcc-file-name)")"
if ! stage dcmtk; then
    log "DCMTK $dcmtk_version for Windows (static, with ICU and OpenSSL, storescu/storescp/dcmdump)"
    rm -rf "$work/dcmtk-build"
    # OpenSSL's libcrypto for MinGW is what FindOpenSSL keeps in LIB_EAY:
    # given with the Windows libraries that a static libcrypto calls
    # (Winsock, the certificate store, ...), they follow libcrypto.a on every
    # link line that has it: DCMTK's configure checks, its tools, and,
    # through the exported DCMTK::dcmtls, the program's.
    # DCMTK installs OpenSSL's DLLs (dcmtk*.dll, its own Windows builds) from
    # OPENSSL_BINDIR, which only its search for those sets: left empty, its
    # install would walk the whole file system ("/") into bin/.
    cmake -S "$work/src/dcmtk.src" -B "$work/dcmtk-build" -G Ninja "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$kit/dcmtk" \
        -DCPP_RUNTIME="$gcc_dir/libstdc++-6.dll" -DCMAKE_INSTALL_DATADIC=share/dcmtk -DICU_INCLUDE_DIR="$kit/icu/include" \
        -DICU_UC_LIBRARY_RELEASE="$kit/icu/lib/libsicuuc.a" -DICU_DATA_LIBRARY_RELEASE="$kit/icu/lib/libsicudt.a" \
        -DOPENSSL_ROOT_DIR="$kit/openssl" -DOPENSSL_INCLUDE_DIR="$kit/openssl/include" \
        -DSSL_EAY:FILEPATH="$kit/openssl/lib/libssl.a" \
        "-DLIB_EAY:FILEPATH=$kit/openssl/lib/libcrypto.a;ws2_32;crypt32;user32;advapi32" \
        -DOPENSSL_BINDIR="$kit/openssl/bin" \
        "${dcmtk_options[@]}" >"$work/dcmtk-configure.log" 2>&1
    # Without ICU the toolkit would build, and convert no character set.
    grep -q "DCMTK ICU support will be enabled" "$work/dcmtk-configure.log"
    # Without OpenSSL, no TLS. Its checks link against it: one that failed
    # (a Windows library missing) would leave out what DCMTK's TLS profiles
    # use. (SSL_CTX_set1_sigalgs, a macro, is not found on Linux either.)
    grep -q "DCMTK OPENSSL support will be enabled" "$work/dcmtk-configure.log"
    for check in TLS_method SSL_CTX_get_ciphers "SSL_CTX_set1_curves(0,0,0)" "SSL_CTX_set_max_proto_version(0,0)" \
                 SSL_CTX_set_security_level SSL_CTX_set0_tmp_dh_pkey TLS1_TXT_ECDHE_RSA_WITH_CHACHA20_POLY1305; do
        grep -qF "Looking for prototype of $check - found" "$work/dcmtk-configure.log"
    done
    cmake --build "$work/dcmtk-build" --parallel "$jobs" >"$work/dcmtk-build.log" 2>&1
    cmake --install "$work/dcmtk-build" >/dev/null
    done_stage dcmtk
fi

# --- the runtime every program built with this compiler loads --------------
mkdir -p "$kit/runtime"
cp "$gcc_dir/libstdc++-6.dll" "$gcc_dir/libgcc_s_seh-1.dll" "/usr/$triple/lib/libwinpthread-1.dll" "$kit/runtime/"

touch "$kit/.complete"
rm -rf "$work"
log "kit ready: $(du -sh "$QUORIN_WIN_KIT" | cut -f1) in $QUORIN_WIN_KIT"
echo "$QUORIN_WIN_KIT"
}
main "$@"
