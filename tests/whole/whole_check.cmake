# Whole checks: scripted scenarios of tests/checks run through korpus and
# compared with their expected files; the README's quick start.
find_package(SQLite3 REQUIRED)
korpus_program_test(whole_check_test LIBRARIES SQLite::SQLite3
                    DEFINITIONS PRUFACJA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
# The tests are listed from the scenario files: a new or renamed scenario
# rebuilds the runner, which lists them again.
file(GLOB whole_check_scenarios CONFIGURE_DEPENDS ${tests_dir}/checks/*.script)
set_property(SOURCE whole_check_test.cpp APPEND PROPERTY OBJECT_DEPENDS ${whole_check_scenarios})
