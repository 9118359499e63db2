# Cross-builds Tunora for 64-bit Windows with Debian's MinGW-w64 compilers, against a Windows
# SDK prefix (Qt, libmpv and the libav* libraries built for Windows; scripts/windows/build-sdk.sh):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/windows-mingw.cmake -DTUNORA_WIN_SDK_PREFIX=<prefix> ...
# The posix thread model: std::thread and std::mutex need it, and the SDK was built with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

if(NOT TUNORA_WIN_SDK_PREFIX)
  set(TUNORA_WIN_SDK_PREFIX "$ENV{TUNORA_WIN_SDK_PREFIX}")
endif()
if(NOT IS_DIRECTORY "${TUNORA_WIN_SDK_PREFIX}/lib/cmake/Qt6")
  message(FATAL_ERROR "TUNORA_WIN_SDK_PREFIX names no Windows SDK (no lib/cmake/Qt6 in '${TUNORA_WIN_SDK_PREFIX}')")
endif()
set(TUNORA_WIN_SDK_PREFIX "${TUNORA_WIN_SDK_PREFIX}" CACHE PATH "The Windows SDK prefix")
# The checks CMake compiles read this file again, without the cache.
set(ENV{TUNORA_WIN_SDK_PREFIX} "${TUNORA_WIN_SDK_PREFIX}")

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR /usr/bin/x86_64-w64-mingw32-ar)
set(CMAKE_RANLIB /usr/bin/x86_64-w64-mingw32-ranlib)

# Libraries and headers from the SDK and the MinGW runtime only, never from the build machine;
# programs (moc, rcc) from the build machine.
set(CMAKE_FIND_ROOT_PATH "${TUNORA_WIN_SDK_PREFIX}" /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's tools are Debian's own, of the same version as the SDK's Qt.
set(QT_HOST_PATH /usr CACHE PATH "Where Qt's host tools are")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Where the host Qt's CMake packages are")

# pkg-config reads only the SDK's .pc files, with their prefix taken from where they are, so
# that the SDK may be unpacked anywhere.
set(ENV{PKG_CONFIG_LIBDIR} "${TUNORA_WIN_SDK_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --define-prefix CACHE STRING "Arguments pkg-config is called with")
