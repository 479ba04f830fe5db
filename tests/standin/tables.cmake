# The stand-in's tables over both stores, and its file services.
find_package(SQLite3 REQUIRED)
prufacja_test(standin_tables_test standin_tables_test.cpp standin_allocation_count.cpp)
target_link_libraries(standin_tables_test PRIVATE SQLite::SQLite3)
prufacja_test(standin_files_test standin_files_test.cpp)
prufacja_test(standin_value_problems_test standin_value_problems_test.cpp)
target_link_libraries(standin_value_problems_test PRIVATE SQLite::SQLite3)

prufacja_test(standin_kept_scans_test standin_kept_scans_test.cpp)
target_link_libraries(standin_kept_scans_test PRIVATE SQLite::SQLite3)
