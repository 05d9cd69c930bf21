# Sourced by kit.sh: the versions and build options of the Windows kit.
# The kit's folder is named by a digest of this file, so a changed option
# builds a new kit beside the old one.

qt_version=6.4.2
dcmtk_version=3.6.7
icu_version=72.1
openssl_version=3.0.20
# OpenSSL's Debian revision, named: apt-get would take the security suite's
# newer one, whose .dsc the mirror does not have (404). This one is
# bookworm's own (its point release).
openssl_debian=3.0.20-1~deb12u2

# ICU: only the conversion library, static; its data keeps the converters.
icu_options=(--enable-static --disable-shared --disable-tools --with-data-packaging=static
             --disable-tests --disable-samples --disable-extras --disable-icuio --disable-layoutex)

# OpenSSL: for DCMTK's TLS, static (nothing more to ship), and the openssl
# program (the Windows tests make their certificates with it); no tests, no
# loadable modules (the legacy provider is built in, none is looked for in
# a folder). The folders it reads its configuration, engines and modules
# from are where Windows' own OpenSSL builds have them, which only an
# administrator may write: OpenSSL's default for mingw, the install prefix,
# would be a path under C:\ that any user can create.
openssl_options=(mingw64 no-shared no-module no-tests)
openssl_dirs=("OPENSSLDIR=C:/Program Files/Common Files/SSL"
              "ENGINESDIR=C:/Program Files/OpenSSL/lib/engines-3"
              "MODULESDIR=C:/Program Files/OpenSSL/lib/ossl-modules")

# Qt: Core, Gui, Widgets, Network and Test, shared, with the windows
# platform plugin; the bundled third-party code (Windows has none of it).
# No tablet events: Debian's source leaves out the Wintab header they need.
# No OpenGL, no TLS (INPUT_*: so that nothing that needs them is half configured).
qt_options=(-DBUILD_SHARED_LIBS=ON -DQT_QMAKE_TARGET_MKSPEC=win32-g++
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
            -DFEATURE_concurrent=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_sql=OFF
            -DFEATURE_xml=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF
            -DINPUT_ssl=no -DFEATURE_zstd=OFF -DFEATURE_tabletevent=OFF -DFEATURE_testlib=ON -DFEATURE_network=ON
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
            -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF)

# DCMTK: static, as Debian configures it where it matters to the relay
# (private tags in the dictionary, the STL, C++17, JPEG-LS interleave), the
# dictionary built in (no file beside the program), ICU for character sets,
# OpenSSL for TLS (dcmtls, storescu/storescp +tls).
# Its programs (its configure checks, its tools) linked statically: they run
# under Wine without the compiler's DLLs on a path; zlib linked in as well.
# Only the modules the relay and the tests' tools use.
dcmtk_options=(-DBUILD_SHARED_LIBS=OFF -DCMAKE_EXE_LINKER_FLAGS=-static
               "-DDCMTK_MODULES=ofstd;oflog;dcmdata;dcmimgle;dcmimage;dcmjpeg;dcmjpls;dcmtls;dcmnet"
               -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DBUILD_APPS=ON -DCMAKE_CXX_STANDARD=17 -DDCMTK_ENABLE_STL=ON
               -DDCMTK_ENABLE_PRIVATE_TAGS=ON -DDCMTK_DEFAULT_DICT=builtin
               -DDCMTK_ENABLE_CHARSET_CONVERSION=ICU -DDCMTK_WITH_ICU=ON -DDCMTK_WITH_ICONV=OFF
               -DDCMTK_WITH_STDLIBC_ICONV=OFF -DDCMTK_WITH_ZLIB=ON
               -DDCMTK_WITH_OPENSSL=ON -DDCMTK_WITH_PNG=OFF -DDCMTK_WITH_TIFF=OFF -DDCMTK_WITH_XML=OFF
               -DDCMTK_WITH_SNDFILE=OFF -DDCMTK_WITH_OPENJPEG=OFF -DDCMTK_WITH_WRAP=OFF -DDCMTK_WITH_DOXYGEN=OFF
               "-DCMAKE_CXX_FLAGS=-DU_STATIC_IMPLEMENTATION -DENABLE_DCMJPLS_INTERLEAVE_NONE"
               "-DCMAKE_C_FLAGS=-DU_STATIC_IMPLEMENTATION")
