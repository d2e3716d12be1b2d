# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's mingw-w64 (scripts/windows-build drives it).
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQUILLMARCH_WINDOWS_PREFIXES="/path/to/curl;/path/to/googletest" -DQUILLMARCH_GUI=OFF
#
# QUILLMARCH_WINDOWS_PREFIXES lists the install folders of the libraries built for Windows here
# (libcurl with Schannel, googletest); they are searched besides the mingw-w64 sysroot and
# nothing of the build machine's own libraries is.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLMARCH_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model: std::thread and std::mutex need it with GCC 12.
set(CMAKE_C_COMPILER ${QUILLMARCH_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLMARCH_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLMARCH_MINGW_TRIPLE}-windres)

# try_compile projects read the toolchain again; hand them the prefixes too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLMARCH_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMARCH_MINGW_TRIPLE} ${QUILLMARCH_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config (FindCURL asks it) sees the Windows libraries only, never the build machine's.
set(QUILLMARCH_PKG_CONFIG_DIRS "")
foreach(prefix IN LISTS QUILLMARCH_WINDOWS_PREFIXES)
    list(APPEND QUILLMARCH_PKG_CONFIG_DIRS ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" QUILLMARCH_PKG_CONFIG_DIRS "${QUILLMARCH_PKG_CONFIG_DIRS}")
set(ENV{PKG_CONFIG_LIBDIR} "${QUILLMARCH_PKG_CONFIG_DIRS}")
set(ENV{PKG_CONFIG_PATH} "")

# Static C++ runtime, winpthreads and libcurl: the executables import Windows' own DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest and gtest_discover_tests start the Windows executables through wine: in a prefix of the
# build's own, quietly, without offering to install .NET or Gecko into a fresh prefix, and in a
# UTF-8 locale, in which wine passes arguments beyond ASCII on unchanged.
find_program(QUILLMARCH_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(QUILLMARCH_WINEPATH NAMES winepath)
if(QUILLMARCH_WINE64)
    set(QUILLMARCH_WINE_ENV env "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" WINEDEBUG=-all
        "WINEDLLOVERRIDES=mscoree,mshtml=" LC_ALL=C.UTF-8)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLMARCH_WINE_ENV} ${QUILLMARCH_WINE64})
    # Turns a path of this machine into the one the Windows program sees (tests/e2e uses it).
    if(QUILLMARCH_WINEPATH)
        set(QUILLMARCH_EMULATOR_PATH_COMMAND ${QUILLMARCH_WINE_ENV} ${QUILLMARCH_WINEPATH} -w)
    endif()
endif()
