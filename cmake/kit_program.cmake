# A Win32 program of the toolkit (panels, interrupt samples):
#   kit_add_program(NAME p SOURCES ... RESOURCES resources_x LIBS card_ord ...)
# makes two targets:
#   p_code  STATIC library of the program's own sources (window procedure,
#           tables, paint) with the frame and the kit; the in-process Wine
#           tests link it with a recording stand-in of the card library;
#   p       the GUI program: WinMain, the resources, p_code and the card
#           library's by-ordinal import library; shipped to both installs.
# LIBS are only linked into the program; p_code sees their include folders.
function(kit_add_program)
  cmake_parse_arguments(A "" "NAME;RESOURCES" "SOURCES;LIBS" ${ARGN})
  set(n ${A_NAME})
  add_library(${n}_code STATIC ${A_SOURCES})
  target_compile_options(${n}_code PRIVATE ${KIT_WARNINGS})
  target_link_libraries(${n}_code PUBLIC kit_lamp_kit kit_app_frame)
  foreach(lib ${A_LIBS})
    target_include_directories(${n}_code PRIVATE $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
  add_executable(${n} WIN32 $<TARGET_OBJECTS:kit_frame_main> $<TARGET_OBJECTS:${A_RESOURCES}>)
  target_link_libraries(${n} PRIVATE ${n}_code ${A_LIBS})
  set_property(TARGET ${n} PROPERTY KIT_RESOURCES ${A_RESOURCES})
  kit_ship(${n})
endfunction()
