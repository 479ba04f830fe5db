# What the 32-bit Windows build needs before the project's own targets:
# one output folder (Windows finds a program's libraries beside it), the
# language runtime linked into every module, SQLite and GoogleTest built
# for the target, and the definitions generated from the entry table.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)

# Two attribute warnings are wrong for this target and only for it: the
# host's method entries are thiscall functions outside a class (GCC calls
# that pedantic), and PE has no symbol visibility. The native build keeps
# the warning.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Wno-attributes>)

# Every module stands alone: no libgcc, libstdc++ or winpthread DLL.
add_link_options(-static -static-libgcc -static-libstdc++)

# SQLite: the amalgamation made from Debian's source package by
# scripts/install-windows-deps.sh, so the stand-in keeps one database code
# path on both platforms.
set(PRUFACJA_SQLITE_DIR ${PROJECT_SOURCE_DIR}/build/sqlite-amalgamation
    CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS ${PRUFACJA_SQLITE_DIR}/sqlite3.c OR NOT EXISTS ${PRUFACJA_SQLITE_DIR}/sqlite3.h)
  message(FATAL_ERROR "No SQLite amalgamation in ${PRUFACJA_SQLITE_DIR}: run scripts/install-windows-deps.sh")
endif()
add_library(sqlite3_amalgamation STATIC ${PRUFACJA_SQLITE_DIR}/sqlite3.c)
target_include_directories(sqlite3_amalgamation SYSTEM PUBLIC ${PRUFACJA_SQLITE_DIR})
target_compile_definitions(sqlite3_amalgamation PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0)
# Not our code: no warnings, and no debug information for its 250,000
# lines. The stand-in's tables are small; a quicker build matters more.
target_compile_options(sqlite3_amalgamation PRIVATE -w -g0 -O1)
add_library(SQLite::SQLite3 ALIAS sqlite3_amalgamation)
set(SQLite3_INCLUDE_DIR ${PRUFACJA_SQLITE_DIR} CACHE PATH "" FORCE)
set(SQLite3_LIBRARY sqlite3_amalgamation CACHE STRING "" FORCE)

# CLI11 is headers only: Debian's, seen through a folder that holds just
# them, so that no other header of the build machine reaches the target.
set(PRUFACJA_CLI11_HEADERS /usr/include/CLI CACHE PATH "CLI11 headers")
if(EXISTS ${PRUFACJA_CLI11_HEADERS}/CLI.hpp)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/cli11/include)
  file(CREATE_LINK ${PRUFACJA_CLI11_HEADERS} ${PROJECT_BINARY_DIR}/cli11/include/CLI SYMBOLIC)
  file(WRITE ${PROJECT_BINARY_DIR}/cli11/CLI11Config.cmake
       "if(NOT TARGET CLI11::CLI11)\n"
       "  add_library(CLI11::CLI11 INTERFACE IMPORTED)\n"
       "  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${PROJECT_BINARY_DIR}/cli11/include)\n"
       "endif()\n")
  set(CLI11_DIR ${PROJECT_BINARY_DIR}/cli11 CACHE PATH "" FORCE)
endif()

# GoogleTest from the sources Debian ships in /usr/src/googletest.
if(PRUFACJA_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(PRUFACJA_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  add_subdirectory(${PRUFACJA_GOOGLETEST_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock gmock_main)
    target_compile_options(${lib} PRIVATE -w)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
  # Listing a test program's cases needs Wine: do it when CTest runs.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()

# Export and import definitions, made by the C preprocessor from a template
# that includes abi/korpus_entries.inc, so no ordinal is written twice.
function(prufacja_generate_def output template)
  get_filename_component(dir ${output} DIRECTORY)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_C_COMPILER} -E -P -x c -I${PROJECT_SOURCE_DIR} ${template} -o ${output}
    DEPENDS ${template} ${PROJECT_SOURCE_DIR}/abi/korpus_entries.inc
    COMMENT "Generating ${output}"
    VERBATIM)
endfunction()

# The plug-in imports host entries from this library, made from the
# definitions alone: KORPUS.DLL by ordinal, whatever file provides it.
set(PRUFACJA_KORPUS_IMPORTS_DEF ${PROJECT_BINARY_DIR}/defs/korpus_imports.def)
set(PRUFACJA_KORPUS_IMPORTS_LIB ${PROJECT_BINARY_DIR}/defs/libkorpus_imports.a)
prufacja_generate_def(${PRUFACJA_KORPUS_IMPORTS_DEF} ${PROJECT_SOURCE_DIR}/cmake/korpus_imports.def.in)
add_custom_command(
  OUTPUT ${PRUFACJA_KORPUS_IMPORTS_LIB}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${PRUFACJA_KORPUS_IMPORTS_DEF} --output-lib ${PRUFACJA_KORPUS_IMPORTS_LIB}
  DEPENDS ${PRUFACJA_KORPUS_IMPORTS_DEF}
  COMMENT "Generating the import library of KORPUS.DLL"
  VERBATIM)
add_custom_target(korpus_imports_lib DEPENDS ${PRUFACJA_KORPUS_IMPORTS_LIB})

set(PRUFACJA_KORPUS_EXPORTS_DEF ${PROJECT_BINARY_DIR}/defs/korpus_exports.def)
prufacja_generate_def(${PRUFACJA_KORPUS_EXPORTS_DEF} ${PROJECT_SOURCE_DIR}/cmake/korpus_exports.def.in)
add_custom_target(korpus_exports_def DEPENDS ${PRUFACJA_KORPUS_EXPORTS_DEF})

# The stand-in KORPUS.DLL and the host program korpus.exe. Without them
# only the plug-in and the tests against the fake host are built.
option(PRUFACJA_WINDOWS_STANDIN "Build the stand-in KORPUS.DLL and korpus.exe for Windows" ON)
function(prufacja_windows_finish)
  if(NOT PRUFACJA_WINDOWS_STANDIN)
    foreach(target standin korpus_app korpus_app_core korpus_script)
      if(TARGET ${target})
        set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
      endif()
    endforeach()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL prufacja_windows_finish)
