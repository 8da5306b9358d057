# Build helpers shared by every folder of the toolkit.
#
# Install layout:
#   win32: build/win32/hardware and build/win32/simulator hold the same programs
#          and DLLs; only ioport.dll differs. Test programs live in
#          build/win32/tests and find the simulator DLLs through WINEPATH.
#   host:  build/linux/lib (kestan and card libraries), build/linux/hardware and
#          build/linux/simulator (the two libioport.so).

if(WIN32)
  set(KIT_OUT ${CMAKE_BINARY_DIR})
else()
  set(KIT_OUT ${CMAKE_BINARY_DIR})
endif()
set(KIT_HW_DIR   ${KIT_OUT}/hardware)
set(KIT_SIM_DIR  ${KIT_OUT}/simulator)
set(KIT_LIB_DIR  ${KIT_OUT}/lib)
set(KIT_TEST_DIR ${KIT_OUT}/tests)
set(KIT_IMPLIB_DIR ${KIT_OUT}/implib)
file(MAKE_DIRECTORY ${KIT_HW_DIR} ${KIT_SIM_DIR} ${KIT_LIB_DIR} ${KIT_TEST_DIR} ${KIT_IMPLIB_DIR})

set(KIT_WARNINGS -Wall -Wextra)
if(KIT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(KIT_FUZZ)
  # Every library gets coverage for libFuzzer and the sanitizers; only the
  # fuzz targets link the fuzzer itself (-fsanitize=fuzzer).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Add every subfolder of dir that has a CMakeLists.txt, sorted by name. A
# folder added later makes the next build configure again.
macro(kit_add_subfolders dir)
  file(GLOB _kit_lists CONFIGURE_DEPENDS ${dir}/*/CMakeLists.txt)
  list(SORT _kit_lists)
  foreach(_kit_list ${_kit_lists})
    get_filename_component(_kit_sub ${_kit_list} DIRECTORY)
    add_subdirectory(${_kit_sub})
  endforeach()
endmacro()

# Add each folder of the list that has a CMakeLists.txt, and for a folder like
# "cardlibs" each of its subfolders that has one.
function(kit_add_existing_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    elseif(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
      kit_add_subfolders(${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    endif()
  endforeach()
endfunction()

# A shipped binary (program or DLL other than ioport): built into the simulator
# folder and copied into the hardware folder, so both installs hold the same file.
function(kit_ship target)
  if(WIN32)
    set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${KIT_SIM_DIR}
      ARCHIVE_OUTPUT_DIRECTORY ${KIT_IMPLIB_DIR})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${KIT_HW_DIR}/
      VERBATIM)
  else()
    set_target_properties(${target} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${KIT_LIB_DIR}
      RUNTIME_OUTPUT_DIRECTORY ${KIT_LIB_DIR})
  endif()
endfunction()

# The .def files are written once, for 32-bit Windows: __stdcall names carry
# their decorations there (W_Name = W_Name@8 @1, W_Name@8 @1 NONAME). A 64-bit
# symbol has none, so the 64-bit build uses each file with them dropped
# (W_Name @1, W_Name @1 NONAME), written at build time from the source:
#   kit_arch_def(SOURCE_DEF out_var)  out_var: the .def this build links with.
math(EXPR KIT_WINDOWS_BITS "${CMAKE_SIZEOF_VOID_P} * 8")  # 32 or 64
if(KIT_WINDOWS_BITS EQUAL 64)
  set(KIT_PLAIN_NAMES ON)
else()
  set(KIT_PLAIN_NAMES OFF)
endif()
function(kit_arch_def source out)
  if(NOT KIT_PLAIN_NAMES)
    set(${out} ${source} PARENT_SCOPE)
    return()
  endif()
  get_filename_component(name ${source} NAME)
  set(plain ${CMAKE_CURRENT_BINARY_DIR}/plain/${name})
  add_custom_command(OUTPUT ${plain}
    COMMAND ${CMAKE_COMMAND} -DIN=${source} -DOUT=${plain} -DPLAIN=ON -P ${KIT_DEF_SCRIPT}
    DEPENDS ${source} ${KIT_DEF_SCRIPT}
    VERBATIM)
  set(${out} ${plain} PARENT_SCOPE)
endfunction()
set(KIT_DEF_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/def_file.cmake)

# A DLL whose export table is the .def export_def: this build's form of it
# (kit_arch_def) is linked in, and the DLL relinks when the source changes.
function(kit_link_def target export_def)
  kit_arch_def(${export_def} def)
  target_sources(${target} PRIVATE ${def})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${def})
endfunction()

# Import libraries for a DLL from a .def of its exports by ordinal
# (W_Name@8 @1 NONAME; dlltool -k maps the symbol the compiler references,
# _W_Name@8 on 32-bit Windows, to the export, so callers need no fix-ups):
#   <target>_ord  imports by ordinal only (what the programs link);
#   <target>_name imports by plain name (the same .def without NONAME).
# Both .def files this build used are written beside the libraries (the kit
# ships them), at build time from the source, which the libraries depend on.
function(kit_import_libraries target dllname import_def)
  set(byord ${KIT_IMPLIB_DIR}/lib${target}_ord.a)
  set(byname ${KIT_IMPLIB_DIR}/lib${target}_name.a)
  set(ord_def ${KIT_IMPLIB_DIR}/${target}_ord.def)
  set(name_def ${KIT_IMPLIB_DIR}/${target}_name.def)
  add_custom_command(OUTPUT ${byord} ${byname} ${ord_def} ${name_def}
    COMMAND ${CMAKE_COMMAND} -DIN=${import_def} -DOUT=${ord_def} -DPLAIN=${KIT_PLAIN_NAMES}
            -P ${KIT_DEF_SCRIPT}
    COMMAND ${CMAKE_COMMAND} -DIN=${import_def} -DOUT=${name_def} -DPLAIN=${KIT_PLAIN_NAMES}
            -DBY_NAME=ON -DDLLNAME=${dllname} -P ${KIT_DEF_SCRIPT}
    COMMAND ${KIT_DLLTOOL} -k --input-def ${ord_def} --dllname ${dllname} --output-lib ${byord}
    COMMAND ${KIT_DLLTOOL} -k --input-def ${name_def} --dllname ${dllname} --output-lib ${byname}
    DEPENDS ${import_def} ${KIT_DEF_SCRIPT}
    COMMENT "Import libraries for ${dllname}"
    VERBATIM)
  # Built with everything: the kit (make dist) ships them even when no program links them.
  add_custom_target(${target}_implibs ALL DEPENDS ${byord} ${byname})
  foreach(kind ord name)
    add_library(${target}_${kind} INTERFACE)
    add_dependencies(${target}_${kind} ${target}_implibs ${target})
    target_link_libraries(${target}_${kind} INTERFACE ${KIT_IMPLIB_DIR}/lib${target}_${kind}.a)
    target_include_directories(${target}_${kind} INTERFACE $<TARGET_PROPERTY:${target},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
endfunction()

# A driver DLL over ioport with a .def export table (plain names and ordinals,
# "W_Name = W_Name@8 @1"). On Windows it is <name>.dll (no lib prefix) with the
# import libraries <name>_ord and <name>_name made from IMPORT_DEF; on Linux it
# is lib<name>.so and both names stand for the library itself.
#   kit_add_driver(NAME kestan SOURCES ... DEF kestan.def IMPORT_DEF kestan_ord.def
#                  [RC version.rc] [INCLUDE dir] [LIBS ...])
function(kit_add_driver)
  cmake_parse_arguments(A "" "NAME;DEF;IMPORT_DEF;RC;INCLUDE" "SOURCES;LIBS" ${ARGN})
  set(n ${A_NAME})
  add_library(${n} SHARED ${A_SOURCES})
  target_compile_options(${n} PRIVATE ${KIT_WARNINGS})
  target_link_libraries(${n} PRIVATE ioport_name ${A_LIBS})
  if(A_INCLUDE)
    target_include_directories(${n} PUBLIC ${A_INCLUDE})
  else()
    target_include_directories(${n} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  kit_ship(${n})
  if(WIN32)
    set_target_properties(${n} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
    kit_link_def(${n} ${CMAKE_CURRENT_SOURCE_DIR}/${A_DEF})
    if(A_RC)
      target_sources(${n} PRIVATE ${A_RC})
    endif()
    kit_import_libraries(${n} ${n}.dll ${CMAKE_CURRENT_SOURCE_DIR}/${A_IMPORT_DEF})
  else()
    add_library(${n}_ord ALIAS ${n})
    add_library(${n}_name ALIAS ${n})
  endif()
endfunction()

# GoogleTest: the host uses Debian's packaged libraries, the cross build
# compiles the sources Debian ships in /usr/src/googletest.
function(kit_need_gtest)
  if(TARGET GTest::gtest)
    return()
  endif()
  if(WIN32)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

# A test program. Host: linked with the simulator build of ioport and the
# main of tests/host/common.
# Win32: a console program in build/win32/tests run under Wine by ctest, with
# the crash-reporting main of tests/wine/common.
#   kit_add_test(NAME t SOURCES ... LIBS ... [PER_TEST])
# PER_TEST makes one ctest entry per GoogleTest case, named <t>.<Suite>.<Case>
# (a crash then ends one entry, not the whole suite; each case gets a fresh
# process, which programs with static state need).
function(kit_add_test)
  cmake_parse_arguments(A "PER_TEST" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  kit_need_gtest()
  add_executable(${A_NAME} ${A_SOURCES})
  target_compile_options(${A_NAME} PRIVATE ${KIT_WARNINGS})
  if(WIN32)
    target_link_libraries(${A_NAME} PRIVATE kit_wine_test_main GTest::gtest ${A_LIBS})
    set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KIT_TEST_DIR})
  else()
    target_link_libraries(${A_NAME} PRIVATE kit_host_test_main GTest::gtest ${A_LIBS})
    set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KIT_TEST_DIR})
    # A test that links one port layer itself gets it first: the drivers'
    # libioport.so (the one that chooses by KESTAN_IOPORT) is then never loaded.
    if("ioport_sim_name" IN_LIST A_LIBS)
      set_target_properties(${A_NAME} PROPERTIES BUILD_WITH_INSTALL_RPATH ON
        INSTALL_RPATH "${KIT_SIM_DIR};${KIT_LIB_DIR}")
    elseif("ioport_hw" IN_LIST A_LIBS)
      set_target_properties(${A_NAME} PROPERTIES BUILD_WITH_INSTALL_RPATH ON
        INSTALL_RPATH "${KIT_HW_DIR};${KIT_LIB_DIR}")
    endif()
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  include(GoogleTest)
  if(A_PER_TEST)
    # The cases of one program run in parallel: with no KESTAN_SIM_PC the
    # test main gives each process a PC of its own in KIT_PC_DIR.
    gtest_discover_tests(${A_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      TEST_PREFIX "${A_NAME}."
      PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${KIT_TEST_ENV}" FIXTURES_REQUIRED kit_fresh_pcs)
  else()
    add_test(NAME ${A_NAME} COMMAND ${A_NAME})
    set_tests_properties(${A_NAME} PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${KIT_TEST_ENV}")
  endif()
endfunction()

# Every test works on a simulated PC of its own (KESTAN_SIM_PC), so suites
# stay independent of each other and of the user's own PC, and run in
# parallel. add_test is wrapped so that no test is left out; the variable is
# appended at the end of the folder, after the test's own ENVIRONMENT is set.
set(KIT_PC_DIR ${KIT_OUT}/pc)
file(MAKE_DIRECTORY ${KIT_PC_DIR})
# Every run of the tests starts on fresh PCs: a setup test empties the folder.
function(kit_private_pc test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "KESTAN_SIM_PC=${KIT_PC_DIR}/${test}.pc")
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED kit_fresh_pcs)
endfunction()
function(kit_fresh_pcs_test)
  _add_test(NAME kit_fresh_pcs COMMAND ${CMAKE_COMMAND} -DDIR=${KIT_PC_DIR}
    -P ${CMAKE_SOURCE_DIR}/cmake/fresh_pcs.cmake)
  set_tests_properties(kit_fresh_pcs PROPERTIES FIXTURES_SETUP kit_fresh_pcs)
endfunction()
function(add_test)
  _add_test(${ARGV})
  if(ARGV0 STREQUAL "NAME")
    set(test ${ARGV1})
  else()
    set(test ${ARGV0})
  endif()
  cmake_language(EVAL CODE "cmake_language(DEFER CALL kit_private_pc [[${test}]])")
endfunction()

if(WIN32)
  # Wine looks for the DLLs of a test program in its own folder, then along
  # WINEPATH: the simulator install comes first.
  set(KIT_TEST_ENV "WINEPATH=Z:${KIT_SIM_DIR}")
else()
  set(KIT_TEST_ENV "")
endif()
