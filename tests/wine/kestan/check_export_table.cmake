# Checks, with objdump -p, that
#   DLL    exports exactly the thirteen entry points, under their plain names,
#          at ordinals 1 to 13;
#   CLIENT imports from kestan.dll all thirteen by ordinal and none by name.
# cmake -DOBJDUMP=... -DDLL=kestan.dll -DCLIENT=client.exe -P check_export_table.cmake

set(expected_names
  W_Kestan_Initial W_Kestan_Set_Card W_Kestan_Get_Card
  W_Kestan_DI_8 W_Kestan_DI_Channel W_Kestan_DI_16
  W_Kestan_DO_8 W_Kestan_DO_Channel W_Kestan_DO_16 W_Kestan_Read_Back
  W_Kestan_Timer_Start W_Kestan_Timer_Read W_Kestan_Timer_Stop)

set(failures 0)
macro(fail text)
  message(SEND_ERROR "${text}")
  math(EXPR failures "${failures} + 1")
endmacro()

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../common/objdump_tables.cmake)

# --- the DLL's export table ---------------------------------------------------
objdump_lines(${DLL} dll)
set(base "")
set(address_entries "")
foreach(line IN LISTS dll)
  if(line MATCHES "^Ordinal Base[ \t]+([0-9]+)")
    set(base ${CMAKE_MATCH_1})
  elseif(address_entries STREQUAL "" AND line MATCHES "^[ \t]+Export Address Table[ \t]+([0-9a-fA-F]+)$")
    # The first such line is the count ("Number in:"), the second the address.
    set(address_entries ${CMAKE_MATCH_1})
  endif()
endforeach()
if(base STREQUAL "")
  fail("${DLL}: no export table")
endif()
if(NOT address_entries STREQUAL "0000000d")
  fail("${DLL}: export address table has ${address_entries} entries, not 13 (0000000d)")
endif()

section("${dll}" "^\\[Ordinal/Name Pointer\\] Table" named)
set(seen)
foreach(line IN LISTS named)
  if(NOT line MATCHES "^[ \t]*\\[ *([0-9]+)\\] (.+)$")
    fail("${DLL}: cannot read export line '${line}'")
    continue()
  endif()
  math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
  set(name "${CMAKE_MATCH_2}")
  list(FIND expected_names "${name}" index)
  if(index LESS 0)
    fail("${DLL}: unexpected export ${name} at ordinal ${ordinal}")
    continue()
  endif()
  math(EXPR want "${index} + 1")
  if(NOT ordinal EQUAL want)
    fail("${DLL}: ${name} is at ordinal ${ordinal}, not ${want}")
  endif()
  list(APPEND seen "${name}")
endforeach()
list(LENGTH seen named_count)
if(NOT named_count EQUAL 13)
  fail("${DLL}: ${named_count} named exports, not 13: ${seen}")
endif()

# --- the client's imports from kestan.dll ------------------------------------
objdump_lines(${CLIENT} client)
dll_imports("${client}" kestan.dll ordinals named unread)
foreach(line IN LISTS named)
  fail("${CLIENT}: kestan.dll entry imported by name: '${line}'")
endforeach()
foreach(line IN LISTS unread)
  fail("${CLIENT}: cannot read import line '${line}'")
endforeach()
list(SORT ordinals COMPARE NATURAL)
set(all 1 2 3 4 5 6 7 8 9 10 11 12 13)
if(NOT "${ordinals}" STREQUAL "${all}")
  fail("${CLIENT}: imports ordinals '${ordinals}' from kestan.dll, not 1 to 13")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} problem(s) in the export or import table")
endif()
message(STATUS "kestan.dll exports the thirteen names at ordinals 1 to 13; the client imports them by ordinal only")
