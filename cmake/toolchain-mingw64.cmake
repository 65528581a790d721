# Cross-compiling for 64-bit Windows with mingw-w64 (x86_64-w64-mingw32).
#
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
#
# The posix thread variant of the compilers is used: GCC 12's win32 variant
# has no std::thread, which the tests need. Its winpthreads runtime is linked
# statically (cmake/windows.cmake), so nothing of it is needed at run time.
# Programs built here run on Linux under Wine (the emulator set below).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSALIB_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(TESSALIB_MINGW_CC NAMES ${TESSALIB_MINGW_TRIPLE}-gcc-posix ${TESSALIB_MINGW_TRIPLE}-gcc REQUIRED)
find_program(TESSALIB_MINGW_CXX NAMES ${TESSALIB_MINGW_TRIPLE}-g++-posix ${TESSALIB_MINGW_TRIPLE}-g++ REQUIRED)
find_program(TESSALIB_MINGW_WINDRES NAMES ${TESSALIB_MINGW_TRIPLE}-windres REQUIRED)
find_program(TESSALIB_MINGW_WINDMC NAMES ${TESSALIB_MINGW_TRIPLE}-windmc REQUIRED)
set(CMAKE_C_COMPILER ${TESSALIB_MINGW_CC})
set(CMAKE_CXX_COMPILER ${TESSALIB_MINGW_CXX})
set(CMAKE_RC_COMPILER ${TESSALIB_MINGW_WINDRES})
set(CMAKE_MC_COMPILER ${TESSALIB_MINGW_WINDMC})

set(CMAKE_FIND_ROOT_PATH /usr/${TESSALIB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine (ctest uses this as the launcher).
find_program(TESSALIB_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT TESSALIB_WINE)
  find_program(TESSALIB_WINE NAMES wine64 wine)
endif()
if(TESSALIB_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSALIB_WINE})
endif()

# The DLL links its libraries statically: make find_package(ZLIB) take libz.a
# rather than the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
