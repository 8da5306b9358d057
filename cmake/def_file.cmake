# Writes one .def file from another at build time (cmake -P), for
# kit_arch_def and kit_import_libraries (cmake/kit.cmake):
#   -DIN=source.def -DOUT=written.def [-DPLAIN=ON] [-DBY_NAME=ON -DDLLNAME=x.dll]
# PLAIN drops the __stdcall decorations (W_Name@8 -> W_Name): a 64-bit
# Windows symbol has none, and "W_Name = W_Name" is then just "W_Name".
# BY_NAME makes the by-name twin of a by-ordinal import .def: NONAME gone,
# and a comment of its own (the by-ordinal file's would say the opposite).
file(READ ${IN} text)
if(PLAIN)
  string(REGEX REPLACE "([A-Za-z0-9_])@[0-9]+" "\\1" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(text "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([ \t]*)([A-Za-z0-9_]+)[ \t]*=[ \t]*([A-Za-z0-9_]+)(.*)$"
       AND CMAKE_MATCH_2 STREQUAL CMAKE_MATCH_3)
      set(line "${CMAKE_MATCH_1}${CMAKE_MATCH_2}${CMAKE_MATCH_4}")
    endif()
    string(APPEND text "${line}\n")
  endforeach()
  string(REGEX REPLACE "\n$" "" text "${text}")
endif()
if(BY_NAME)
  string(REPLACE " NONAME" "" text "${text}")
  string(REGEX REPLACE "(^|\n);[^\n]*" "" text "${text}")
  string(REGEX REPLACE "^\n+" "" text "${text}")
  set(text "; Import library of ${DLLNAME} by name: programs linked with it import the\n; functions by their plain names.\n${text}")
endif()
# Written only when it changes, so that what depends on it is not rebuilt for nothing.
set(old "")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUT} "${text}")
endif()
