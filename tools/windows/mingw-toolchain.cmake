# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads, so std::thread
# and std::mutex work) and runs the built programs under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)
set(CMAKE_AR ${mingw_prefix}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${mingw_prefix}-ranlib CACHE FILEPATH "")

# Only the mingw sysroot (and whatever the caller appends, such as the Windows Qt) may
# supply headers, libraries and packages: the host's X11 and Wayland must stay unseen.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config knows nothing of the root path: point it at the sysroot's own .pc files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${mingw_prefix}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# A caller may give wine its prefix and DLL path: env;WINEPATH=...;wine.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
