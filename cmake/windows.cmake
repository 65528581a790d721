# Windows build of the library (mingw-w64), included by the top CMakeLists.txt
# once the `tessalib` target exists.
#
# Tessalib.dll is one self-contained file: the GCC runtime, the C++ library
# and winpthreads are linked into it, so it imports Windows system DLLs only.
# It exports exactly the functions declared with TESSALIB_API in tessalib.h
# (__declspec(dllexport), undecorated on x64); symbols of the static runtime
# libraries are never exported. scripts/check-exports.sh verifies both.
#
# Programs and the DLL land together in <build>/bin, so the test programs and
# the examples find Tessalib.dll beside them.

set(TESSALIB_WINDOWS_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${TESSALIB_WINDOWS_BIN_DIR})
set_target_properties(tessalib PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TESSALIB_WINDOWS_BIN_DIR})

# --- Self-contained DLL ---------------------------------------------------
target_link_options(tessalib PRIVATE
  -static                       # libgcc, libstdc++, winpthreads: static
  -Wl,--exclude-libs,ALL        # export nothing that comes from an archive
  -Wl,--no-undefined)
target_link_libraries(tessalib PRIVATE advapi32 user32 comctl32 bcrypt kernel32)

# The internal static library is made after this file is read: give it the
# same system libraries once the directory is complete.
function(tessalib_windows_static_setup)
  target_link_libraries(tessalib_static PUBLIC advapi32 user32 comctl32 bcrypt kernel32)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tessalib_windows_static_setup)

# --- 256-bit vector code ---------------------------------------------------
# GCC for 64-bit Windows keeps the stack aligned to 16 bytes only, yet spills
# 256-bit values with aligned moves, which fault on a stack slot that is not
# 32-byte aligned. The assembler writes every vector move in its unaligned
# form instead (as fast on aligned data), so no spill can fault, and the
# 256-bit paths (AES and GHASH on VAES/VPCLMULQDQ, Poly1305 on AVX2) are
# built for Windows too: TESSALIB_WIDE_VECTORS in src/core/cpu.h.
# scripts/test-windows.sh checks the DLL for aligned 256-bit moves.
target_compile_options(tessalib_obj PRIVATE -Wa,-muse-unaligned-vector-move)
target_compile_definitions(tessalib_obj PRIVATE TESSALIB_UNALIGNED_VECTOR_MOVES=1)

# --- Resources (the DLL only) --------------------------------------------
enable_language(RC)

# Version information: the file version is the project version with build
# number 1, the product version names the release series.
set(TESSALIB_RC_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.1")
set(TESSALIB_RC_PRODUCT_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
string(REPLACE "." "," TESSALIB_RC_FILE_VERSION_COMMAS ${TESSALIB_RC_FILE_VERSION})
string(REPLACE "." "," TESSALIB_RC_PRODUCT_VERSION_COMMAS ${TESSALIB_RC_PRODUCT_VERSION})

set(TESSALIB_RC_DIR ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${TESSALIB_RC_DIR})
configure_file(${PROJECT_SOURCE_DIR}/src/Tessalib/resources/tessalib.rc.in ${TESSALIB_RC_DIR}/tessalib.rc @ONLY)

# Message table: one ANSI entry "%1" CR LF (language 1033) for each event code
# of the fatal-error reporter, severity error (0xC0000000 | code).
set(mc "MessageIdTypedef=DWORD\r\n")
string(APPEND mc "SeverityNames=(Error=0x3:TESSALIB_SEVERITY_ERROR)\r\n")
string(APPEND mc "FacilityNames=(Module=0x0:TESSALIB_FACILITY_MODULE)\r\n")
string(APPEND mc "LanguageNames=(English=0x409:MSG00409)\r\n")
foreach(range "0x029A;0x029D" "0x1F40;0x1F55")
  list(GET range 0 first)
  list(GET range 1 last)
  math(EXPR first "${first}")
  math(EXPR last "${last}")
  foreach(code RANGE ${first} ${last})
    math(EXPR hex "${code}" OUTPUT_FORMAT HEXADECIMAL)
    string(APPEND mc "\r\nMessageId=${hex}\r\nSeverity=Error\r\nFacility=Module\r\n")
    string(APPEND mc "Language=English\r\n%1\r\n.\r\n")
  endforeach()
endforeach()
# Written only when it changes, so that a new configure does not rebuild it.
set(mc_file ${TESSALIB_RC_DIR}/tessalib_events.mc)
set(mc_old "")
if(EXISTS ${mc_file})
  file(READ ${mc_file} mc_old)
endif()
if(NOT mc_old STREQUAL mc)
  file(WRITE ${mc_file} "${mc}")
endif()

add_custom_command(
  OUTPUT ${TESSALIB_RC_DIR}/tessalib_events.rc ${TESSALIB_RC_DIR}/MSG00409.bin
  COMMAND ${CMAKE_MC_COMPILER} -A -h ${TESSALIB_RC_DIR} -r ${TESSALIB_RC_DIR} ${mc_file}
  DEPENDS ${mc_file}
  WORKING_DIRECTORY ${TESSALIB_RC_DIR}
  COMMENT "Compiling the event message table"
  VERBATIM)
set_source_files_properties(${TESSALIB_RC_DIR}/tessalib.rc PROPERTIES
  OBJECT_DEPENDS "${TESSALIB_RC_DIR}/tessalib_events.rc;${TESSALIB_RC_DIR}/MSG00409.bin")
target_sources(tessalib PRIVATE ${TESSALIB_RC_DIR}/tessalib.rc ${TESSALIB_RC_DIR}/tessalib_events.rc)
set_source_files_properties(${TESSALIB_RC_DIR}/tessalib_events.rc PROPERTIES HEADER_FILE_ONLY ON)
target_include_directories(tessalib PRIVATE ${TESSALIB_RC_DIR})

# --- Compression libraries (static) ---------------------------------------
# zlib from the mingw-w64 zlib package; Zstandard built from Debian's source by
# scripts/setup-windows-deps.sh into TESSALIB_WINDOWS_DEPS. Both are linked
# into the DLL and the static library when present; a source that needs one
# that is missing fails to compile.
set(TESSALIB_WINDOWS_DEPS "${PROJECT_SOURCE_DIR}/build/windows-deps/prefix"
  CACHE PATH "Prefix of the libraries built by scripts/setup-windows-deps.sh")

find_library(TESSALIB_WINDOWS_ZLIB NAMES libz.a)
find_path(TESSALIB_WINDOWS_ZLIB_INCLUDE zlib.h)
find_library(TESSALIB_WINDOWS_ZSTD NAMES libzstd.a
  PATHS ${TESSALIB_WINDOWS_DEPS}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(TESSALIB_WINDOWS_ZSTD_INCLUDE zstd.h
  PATHS ${TESSALIB_WINDOWS_DEPS}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

set(TESSALIB_WINDOWS_COMPRESSION_LIBS)
foreach(lib ZLIB ZSTD)
  if(TESSALIB_WINDOWS_${lib} AND TESSALIB_WINDOWS_${lib}_INCLUDE)
    message(STATUS "Windows ${lib}: ${TESSALIB_WINDOWS_${lib}}")
    target_include_directories(tessalib_obj SYSTEM PRIVATE ${TESSALIB_WINDOWS_${lib}_INCLUDE})
    list(APPEND TESSALIB_WINDOWS_COMPRESSION_LIBS ${TESSALIB_WINDOWS_${lib}})
  else()
    message(STATUS "Windows ${lib}: not found (run scripts/setup-windows-deps.sh)")
  endif()
endforeach()
if(TESSALIB_WINDOWS_COMPRESSION_LIBS)
  target_link_libraries(tessalib PRIVATE ${TESSALIB_WINDOWS_COMPRESSION_LIBS})
  function(tessalib_windows_static_compression)
    target_link_libraries(tessalib_static PUBLIC ${TESSALIB_WINDOWS_COMPRESSION_LIBS})
  endfunction()
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tessalib_windows_static_compression)
endif()
