# The plug-in against the literal check on random inputs.
include(${CMAKE_CURRENT_LIST_DIR}/reference/reference.cmake)
prufacja_test(differential_test differential_test.cpp refusing_new.cpp)
target_link_libraries(differential_test PRIVATE prufacja_reference)

prufacja_test(text_index_test text_index_test.cpp)
target_link_libraries(text_index_test PRIVATE prufacja_verify)

find_package(SQLite3 REQUIRED)
prufacja_test(standin_kept_scans_test standin_kept_scans_test.cpp)
target_link_libraries(standin_kept_scans_test PRIVATE SQLite::SQLite3)
