# The ten programs of the simulator install, for the checks that treat them
# alike: each one's card library, the ordinals of it that the program's
# source calls, and the title of its main window.
set(KIT_PROGRAM_TABLE
  "kestan_panel|kestan.dll|1,2,6,9|Kestan"
  "orvel_panel|orvel.dll|1,2,6,9|Orvel"
  "sarrow_panel|sarrow.dll|1,2,4,5|Sarrow"
  "pellin_panel|pellin.dll|1,2,4,5|Pellin"
  "fenmar_panel|fenmar.dll|1,2,4,5|Fenmar"
  "wendal_panel|wendal.dll|1,2,6,7|Wendal"
  "dulvar_panel|dulvar.dll|1,2,4,5|Dulvar"
  "dulvar_interrupt|dulvar.dll|1,7,8,9,10,11|Sample Application-Interrupt"
  "fenmar_interrupt|fenmar.dll|1,7,8,9,10,11|Sample Application-Interrupt"
  "wendal_interrupt|wendal.dll|1,4,5,9,10,11,12,13|Wendal Interrupt Samples")
set(KIT_CARD_DLLS kestan.dll orvel.dll sarrow.dll pellin.dll fenmar.dll wendal.dll dulvar.dll)

# kit_program_entry(ENTRY): sets program, library, ordinals and title from
# one entry of the table.
macro(kit_program_entry entry)
  string(REPLACE "|" ";" _kit_fields "${entry}")
  list(GET _kit_fields 0 program)
  list(GET _kit_fields 1 library)
  list(GET _kit_fields 2 ordinals)
  list(GET _kit_fields 3 title)
endmacro()
