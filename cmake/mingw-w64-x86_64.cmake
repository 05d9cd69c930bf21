# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (GCC, POSIX
# threads: std::thread and std::mutex need them). QUORIN_WIN_KIT, when set,
# is the Windows kit (Qt, DCMTK, ICU, OpenSSL) that find_package() searches.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
if(DEFINED ENV{QUORIN_WIN_KIT})
    set(QUORIN_WIN_KIT "$ENV{QUORIN_WIN_KIT}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORIN_WIN_KIT)
if(QUORIN_WIN_KIT)
    list(APPEND CMAKE_FIND_ROOT_PATH ${QUORIN_WIN_KIT}/qt ${QUORIN_WIN_KIT}/dcmtk ${QUORIN_WIN_KIT}/icu
                                     ${QUORIN_WIN_KIT}/openssl)
endif()
# Programs run on this machine (the host's Qt tools, wine); libraries,
# headers and packages come only from the Windows side.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
