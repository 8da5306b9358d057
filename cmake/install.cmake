# cmake --install: the native libraries, their headers, the tools, a
# pkg-config file per library, the Python package and the docs under one
# prefix, every run path relative ($ORIGIN), so the tree can be moved:
#
#   <prefix>/bin/kestan-io, kestan-sim
#   <prefix>/lib/lib<card>.so, libioport.so (chooses the layer by KESTAN_IOPORT)
#   <prefix>/lib/ioport/hardware/libioport.so, <prefix>/lib/ioport/simulator/libioport.so
#   <prefix>/lib/pkgconfig/<card>.pc, ioport.pc
#   <prefix>/lib/python3/dist-packages/kestan/
#   <prefix>/include/kestan/<card>.h, ioport.h, iosim.h and what they include (card_results.h, ...)
#   <prefix>/share/doc/kestan-toolkit/
if(WIN32 OR KIT_FUZZ)
  return()
endif()

set(KIT_LIBRARIES kestan orvel sarrow pellin fenmar wendal dulvar)
set(KIT_DESCRIPTION_kestan "Driver of the Kestan card: 32 inputs, 32 outputs, three 8254 counters")
set(KIT_DESCRIPTION_orvel "Driver of the Orvel card: 32 inputs, 32 outputs")
set(KIT_DESCRIPTION_sarrow "Driver of the Sarrow card: 16 inputs, 16 outputs")
set(KIT_DESCRIPTION_pellin "Driver of the Pellin card: 8 inputs, 8 outputs")
set(KIT_DESCRIPTION_fenmar "Driver of the Fenmar card: one 8255, 24 lines")
set(KIT_DESCRIPTION_wendal "Driver of the Wendal card: two 8255, 48 lines, an 8254 sampling clock")
set(KIT_DESCRIPTION_dulvar "Driver of the Dulvar card: six 8255, 144 lines")
set(KIT_DESCRIPTION_ioport "Port access of the Kestan toolkit: real ports or the simulated PC (KESTAN_IOPORT)")

foreach(lib ${KIT_LIBRARIES})
  set_target_properties(${lib} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${lib} LIBRARY DESTINATION lib)
endforeach()
install(TARGETS ioport_select LIBRARY DESTINATION lib)
if(TARGET kestancards)
  set_target_properties(kestancards PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS kestancards LIBRARY DESTINATION lib)
endif()
install(TARGETS ioport_hw LIBRARY DESTINATION lib/ioport/hardware)
if(TARGET ioport_sim)
  install(TARGETS ioport_sim LIBRARY DESTINATION lib/ioport/simulator)
endif()

# A header goes with every header it includes ("name.h", found beside it or
# in one of KIT_HEADER_DIRS), so that an installed header always compiles.
set(KIT_HEADER_DIRS ${CMAKE_SOURCE_DIR}/lib/kestan ${CMAKE_SOURCE_DIR}/lib/common ${CMAKE_SOURCE_DIR}/lib/ioport
    ${CMAKE_SOURCE_DIR}/sim ${CMAKE_SOURCE_DIR}/cardlibs/ppicard)
function(kit_install_header header)
  get_property(done GLOBAL PROPERTY KIT_INSTALLED_HEADERS)
  if(header IN_LIST done)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY KIT_INSTALLED_HEADERS ${header})
  install(FILES ${header} DESTINATION include/kestan)
  get_filename_component(here ${header} DIRECTORY)
  file(STRINGS ${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+\"")
  foreach(line ${includes})
    string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" name "${line}")
    find_file(found_${name} ${name} PATHS ${here} ${KIT_HEADER_DIRS} NO_DEFAULT_PATH)
    if(NOT found_${name})
      message(FATAL_ERROR "${header} includes ${name}, found in none of ${here} ${KIT_HEADER_DIRS}")
    endif()
    kit_install_header(${found_${name}})
  endforeach()
endfunction()

foreach(header lib/kestan/kestan.h lib/ioport/ioport.h cardlibs/orvel/orvel.h cardlibs/sarrow/sarrow.h
               cardlibs/pellin/pellin.h cardlibs/fenmar/fenmar.h cardlibs/wendal/wendal.h cardlibs/dulvar/dulvar.h)
  kit_install_header(${CMAKE_SOURCE_DIR}/${header})
endforeach()

foreach(NAME ${KIT_LIBRARIES} ioport)
  set(DESCRIPTION "${KIT_DESCRIPTION_${NAME}}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/pkgconfig/library.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${NAME}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${NAME}.pc DESTINATION lib/pkgconfig)
endforeach()

if(TARGET kestan_io)
  set_target_properties(kestan_io PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
  install(TARGETS kestan_io RUNTIME DESTINATION bin)
endif()
if(TARGET kestan_sim)
  kit_install_header(${CMAKE_SOURCE_DIR}/sim/iosim.h)
  install(TARGETS kestan_sim RUNTIME DESTINATION bin)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/python/kestan)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/python/kestan DESTINATION lib/python3/dist-packages
          PATTERN __pycache__ EXCLUDE)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/programming.md
        DESTINATION share/doc/kestan-toolkit)
install(FILES ${CMAKE_SOURCE_DIR}/examples/walk_outputs.cpp ${CMAKE_SOURCE_DIR}/examples/counter_read.cpp
        ${CMAKE_SOURCE_DIR}/examples/port_rights.h
        DESTINATION share/doc/kestan-toolkit/examples)
