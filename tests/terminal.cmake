# The terminal front end: its parts without a terminal, and korpus at a
# terminal in tmux as a person uses it.
if(TARGET korpus_terminal)
  prufacja_test(terminal_parts_test terminal_parts_test.cpp)
  target_link_libraries(terminal_parts_test PRIVATE korpus_terminal korpus_app_core)

  find_package(SQLite3 REQUIRED)
  prufacja_test(terminal_session_test terminal_session_test.cpp)
  target_link_libraries(terminal_session_test PRIVATE SQLite::SQLite3)
  target_compile_definitions(terminal_session_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                                        KORPUS_PLUGIN="$<TARGET_FILE:prufacja>"
                                                        RUN_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/run.sh")
  add_dependencies(terminal_session_test korpus_app prufacja)
endif()
