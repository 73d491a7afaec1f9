# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads, so that std::thread and
# std::mutex work) and links the C and C++ runtimes statically: the executables need no DLL beside
# them. Test executables run under Wine (see scripts/wine-prepare, which sets up its prefix).
#
# The dependencies that Debian does not build for mingw (JsonCpp, GoogleTest) come from a private
# prefix made by scripts/windows-deps; TVU_WINDOWS_DEPS names it (default build/windows-deps).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TVU_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TVU_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVU_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TVU_MINGW_TRIPLET}-windres)

if(NOT TVU_WINDOWS_DEPS)
    get_filename_component(TVU_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps" ABSOLUTE)
endif()
# Passed on to the projects try_compile makes, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TVU_WINDOWS_DEPS)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Headers and libraries come from the cross prefix and our own prefix only, never from the host's
# /usr/include or /usr/lib; programs (pkg-config, code generators) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TVU_MINGW_TRIPLET} ${TVU_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the .pc files of the cross prefix and of ours, not the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${TVU_WINDOWS_DEPS}/lib/pkgconfig:/usr/${TVU_MINGW_TRIPLET}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Test programs run through Wine's loader (Debian has no /usr/bin/wine64; the `wine` wrapper
# prints a hint about the missing 32-bit Wine unless debug output is off), started by wine-run,
# which says why when Wine fails to start one. The Wine prefix comes from WINEPREFIX, which the
# windows test preset and scripts/wine-prepare set.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
