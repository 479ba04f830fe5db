# The Polish user's guide (docs/instrukcja.md): its screens, boxes, quoted
# messages and example files against what korpus and sqlite3 really do.
find_package(SQLite3 REQUIRED)
korpus_program_test(guide_test LIBRARIES SQLite::SQLite3 DEFINITIONS PRUFACJA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
