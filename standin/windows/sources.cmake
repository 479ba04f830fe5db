# The stand-in as KORPUS.DLL: the host entries exported by ordinal only,
# from definitions generated out of the entry table; the stand-in's own
# interface (tests, the host program) by name, as the native library has it.
target_sources(standin PRIVATE
  windows/exports.cpp
  windows/plugin_calls.cpp
  windows/plugin_routes.cpp
)
set_target_properties(standin PROPERTIES
  PREFIX ""
  OUTPUT_NAME KORPUS
  SUFFIX ".DLL"
  LINK_DEPENDS ${PRUFACJA_KORPUS_EXPORTS_DEF})
add_dependencies(standin korpus_exports_def)
target_link_libraries(standin PRIVATE korpus_abi_windows)
target_link_options(standin PRIVATE ${PRUFACJA_KORPUS_EXPORTS_DEF} -Wl,--export-all-symbols -Wl,--exclude-libs,ALL)
