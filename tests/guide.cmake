# The Polish user's guide (docs/instrukcja.md): its screens, boxes, quoted
# messages and example files against what korpus and sqlite3 really do.
find_package(SQLite3 REQUIRED)
prufacja_test(guide_test guide_test.cpp)
target_link_libraries(guide_test PRIVATE SQLite::SQLite3)
target_compile_definitions(guide_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                              PRUFACJA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(guide_test korpus_app prufacja)
