# Writes the list of every export declared in the public header as a C++
# X-macro, for the tests that call every export (refusals_test.cpp). Run at build time whenever the header changes:
#
#   cmake -DHEADER=include/tessalib.h -DOUTPUT=all_exports.inc -P list_exports.cmake
#
# An export is every `TESSALIB_API <type> TESSALIB_CALL Name(<parameters>)`
# outside comments, however it is broken over lines.
cmake_minimum_required(VERSION 3.25)
file(READ ${HEADER} text)

# Comments out: /* ... */ (none nests), then // to the end of the line.
set(kept "")
while(TRUE)
  string(FIND "${text}" "/*" open)
  if(open EQUAL -1)
    string(APPEND kept "${text}")
    break()
  endif()
  string(SUBSTRING "${text}" 0 ${open} before)
  string(APPEND kept "${before} ")
  math(EXPR after "${open} + 2")
  string(SUBSTRING "${text}" ${after} -1 text)
  string(FIND "${text}" "*/" close)
  if(close EQUAL -1)
    message(FATAL_ERROR "${HEADER}: a comment is not closed")
  endif()
  math(EXPR after "${close} + 2")
  string(SUBSTRING "${text}" ${after} -1 text)
endwhile()
string(REGEX REPLACE "//[^\n]*" "" kept "${kept}")
string(REPLACE ";" " " kept "${kept}")  # a list separator to CMake

set(pattern "TESSALIB_API[^;{}()#]*TESSALIB_CALL[ \t\r\n]+([A-Za-z_][A-Za-z0-9_]*)[ \t\r\n]*\\(([^()]*)\\)")
string(REGEX MATCHALL "${pattern}" declarations "${kept}")
set(out "// Generated from include/tessalib.h by tests/lifecycle/list_exports.cmake: do not edit.\n")
string(APPEND out "// TESSALIB_EXPORT(name), one per export, in header order.\n")
string(APPEND out "#define TESSALIB_ALL_EXPORTS(TESSALIB_EXPORT) \\\n")
set(count 0)
foreach(declaration IN LISTS declarations)
  string(REGEX MATCH "${pattern}" unused "${declaration}")
  set(name ${CMAKE_MATCH_1})
  string(APPEND out "  TESSALIB_EXPORT(${name}) \\\n")
  math(EXPR count "${count} + 1")
endforeach()
string(APPEND out "\n#define TESSALIB_EXPORT_COUNT ${count}\n")
if(count LESS 1)
  message(FATAL_ERROR "${HEADER}: no export found")
endif()

# Copied over the output only when it changes, so that nothing is rebuilt for nothing.
file(WRITE ${OUTPUT}.new "${out}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
