# The plug-in library as the host loads it: prufacja.dll with one export
# (ordinal 30001, no name), KORPUS.DLL imported for entry 30005 only, the
# language runtime linked in, a version resource, and the raw attach as the
# library's entry point.
add_library(prufacja SHARED
  entry_win32.cpp
  check_launch.cpp
  prufacja.rc
)
target_link_libraries(prufacja PRIVATE prufacja_entry prufacja_verify ${PRUFACJA_KORPUS_IMPORTS_LIB})
add_dependencies(prufacja korpus_imports_lib)
target_link_options(prufacja PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/prufacja.def
  -Wl,--entry,_PrufacjaRawEntry@12
  -Wl,--exclude-all-symbols)
set_target_properties(prufacja PROPERTIES
  PREFIX ""
  LINK_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/prufacja.def;${PRUFACJA_KORPUS_IMPORTS_LIB}")
