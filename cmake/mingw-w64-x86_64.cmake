# Cross-compiles for 64-bit Windows with Debian's MinGW-w64. The posix thread
# model is the one whose libstdc++ has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only libraries built for Windows, never the host's (whose
# xlsxwriter.pc it would otherwise take): the MinGW ones of Debian's packages,
# and those that scripts/windows_xlsxwriter.sh installs into KIROKU_WIN_PREFIX.
# The compiler checks read this file again, within the same run: they get the
# prefix too, so that the environment stays the same.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KIROKU_WIN_PREFIX)
set(ENV{PKG_CONFIG_LIBDIR} "${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig")
if(KIROKU_WIN_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${KIROKU_WIN_PREFIX}/lib/pkgconfig:$ENV{PKG_CONFIG_LIBDIR}")
endif()
