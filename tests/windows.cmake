# Tests of the 32-bit Windows build, run under Wine through CTest (the
# cross build's emulator), and the layout test that both builds run.

if(NOT WIN32)
  prufacja_test(layout_test windows/layout_test.cpp)
  return()
endif()

set(win_bin ${PROJECT_BINARY_DIR}/bin)

# A test program in a folder of its own: Windows takes a program's
# libraries from beside it, so each folder holds the host library it needs.
function(prufacja_windows_test name folder)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${folder})
  gtest_discover_tests(${name} WORKING_DIRECTORY ${folder} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 60)
endfunction()

# The small host library of the Windows tests, as KORPUS.DLL in the folder,
# with a copy of the plug-in beside it.
function(prufacja_fake_host target folder def)
  add_library(${target} SHARED windows/fake_host.cpp windows/fake_host_signal_i686.S)
  target_compile_definitions(${target} PRIVATE FAKE_HOST_BUILD)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/windows/${def})
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME KORPUS SUFFIX ".DLL"
    RUNTIME_OUTPUT_DIRECTORY ${folder}
    ARCHIVE_OUTPUT_DIRECTORY ${folder}/lib
    LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/windows/${def})
  add_custom_command(
    OUTPUT ${folder}/prufacja.dll
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:prufacja> ${folder}/prufacja.dll
    DEPENDS prufacja
    VERBATIM)
  add_custom_target(${target}_plugin_copy DEPENDS ${folder}/prufacja.dll)
  add_dependencies(${target} ${target}_plugin_copy)
endfunction()

# Layouts and the plug-in's image, beside the real build's outputs.
prufacja_windows_test(win_layout_test ${win_bin} windows/layout_test.cpp)
prufacja_windows_test(win_image_test ${win_bin} windows/image_test.cpp windows/pe_image.cpp)
target_link_libraries(win_image_test PRIVATE korpus_abi)
target_link_libraries(win_image_test PRIVATE version)
add_dependencies(win_image_test prufacja)

# The catcher that takes a plug-in's failure back, as both modules link it.
prufacja_windows_test(win_failure_catch_test ${win_bin} windows/failure_catch_test.cpp)
target_link_libraries(win_failure_catch_test PRIVATE korpus_abi_windows)

# The real plug-in and the binding's machine code against the fake host.
set(fake_bin ${win_bin}/fakehost)
prufacja_fake_host(win_fake_host ${fake_bin} fake_host.def)
prufacja_windows_test(win_plugin_test ${fake_bin}
  windows/plugin_test.cpp windows/harness.cpp windows/harness_i686.S windows/system_answers.cpp)
target_link_libraries(win_plugin_test PRIVATE win_fake_host korpus_abi)
prufacja_windows_test(win_stubs_test ${fake_bin}
  windows/stubs_test.cpp windows/harness.cpp windows/harness_i686.S windows/system_answers.cpp)
target_link_libraries(win_stubs_test PRIVATE win_fake_host prufacja_host)

# A host library without entry 30005.
set(refusal_bin ${win_bin}/no30005)
prufacja_fake_host(win_fake_host_without_30005 ${refusal_bin} fake_host_without_30005.def)
prufacja_windows_test(win_refusal_test ${refusal_bin} windows/refusal_test.cpp)
add_dependencies(win_refusal_test win_fake_host_without_30005)

# Whole checks: the host program with the same scripts on the Linux build
# and under Wine, every transcript and file compared byte for byte.
if(PRUFACJA_WINDOWS_STANDIN)
  set(PRUFACJA_NATIVE_BIN ${PROJECT_SOURCE_DIR}/build/dev/bin
      CACHE PATH "bin folder of the native build that the whole checks compare with")
  file(GLOB whole_checks CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/windows/checks/*.txt)
  list(SORT whole_checks)
  add_test(NAME WholeChecksMatchTheLinuxBuild
           COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/windows-compare.sh ${PRUFACJA_NATIVE_BIN} ${win_bin}
                   ${PROJECT_BINARY_DIR}/wine ${whole_checks})
  set_tests_properties(WholeChecksMatchTheLinuxBuild PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)

  # The whole-check catalogue of tests/checks against the same expected
  # files, by the native build's test program running korpus.exe under Wine.
  set(whole_check_program ${PRUFACJA_NATIVE_BIN}/../tests/whole_check_test)
  add_test(NAME WholeCheckCatalogueUnderWine
           COMMAND bash -c "if [ ! -x \"$0\" ]; then echo \"skipped: $0 is not built\" >&2; exit 77; fi; exec \"$0\" --gtest_filter='Scenarios/*'"
                   ${whole_check_program})
  set_tests_properties(WholeCheckCatalogueUnderWine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
    ENVIRONMENT "PRUFACJA_WINDOWS_KORPUS=${win_bin}/korpus.exe;PRUFACJA_WINE_PREFIX=${PROJECT_BINARY_DIR}/wine")

  # Every host entry missing in turn over one whole check, as natively. Its
  # 225 runs took about 8 minutes through qemu-user (scripts/windows-route.sh).
  add_test(NAME MissingEntrySweepUnderWine
           COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/sweep-missing-entries.sh ${win_bin} ${PROJECT_BINARY_DIR}/wine)
  set_tests_properties(MissingEntrySweepUnderWine PROPERTIES TIMEOUT 2400)
endif()

# The release archive as an administrator gets it, its prufacja.dll checked
# unpacked under Wine (scripts/package.sh).
add_test(NAME ReleaseArchiveHoldsTheTestedPlugin
         COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/package.sh --only windows --mingw-build ${PROJECT_BINARY_DIR}
                 ${PROJECT_BINARY_DIR}/dist)
set_tests_properties(ReleaseArchiveHoldsTheTestedPlugin PROPERTIES TIMEOUT 300)
