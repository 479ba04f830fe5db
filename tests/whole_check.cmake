# Whole checks: scripted scenarios of tests/checks run through korpus and
# compared with their expected files; the README's quick start.
find_package(SQLite3 REQUIRED)
prufacja_test(whole_check_test whole_check_test.cpp)
target_link_libraries(whole_check_test PRIVATE SQLite::SQLite3)
target_compile_definitions(whole_check_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                                    PRUFACJA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(whole_check_test korpus_app prufacja)
# The tests are listed from the scenario files: a new or renamed scenario
# rebuilds the runner, which lists them again.
file(GLOB whole_check_scenarios CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/checks/*.script)
set_property(SOURCE whole_check_test.cpp APPEND PROPERTY OBJECT_DEPENDS ${whole_check_scenarios})
