# The terminal front end: its parts without a terminal, and korpus at a
# terminal in tmux as a person uses it.
if(TARGET korpus_terminal)
  prufacja_test(terminal_parts_test terminal_parts_test.cpp)
  target_link_libraries(terminal_parts_test PRIVATE korpus_terminal korpus_app_core)

  find_package(SQLite3 REQUIRED)
  korpus_program_test(terminal_session_test LIBRARIES SQLite::SQLite3
                      DEFINITIONS KORPUS_PLUGIN="$<TARGET_FILE:prufacja>"
                                  RUN_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/run.sh")
endif()
