# Reliability: whole checks driven in-process under injected faults and
# kills, hostile inputs, and the fuzz targets' inputs replayed.
add_library(reliability_harness STATIC check_harness.cpp)
target_link_libraries(reliability_harness PUBLIC prufacja_verify standin)
target_include_directories(reliability_harness PUBLIC ${PROJECT_SOURCE_DIR})

prufacja_test(fault_sweep_test fault_sweep_test.cpp)
target_link_libraries(fault_sweep_test PRIVATE reliability_harness)

set(fuzz_dir ${PROJECT_SOURCE_DIR}/fuzz)
prufacja_test(fuzz_replay_test fuzz_replay_test.cpp ${fuzz_dir}/checks.cpp ${fuzz_dir}/collector_import.cpp
              ${fuzz_dir}/dialog_keys.cpp ${fuzz_dir}/einvoice.cpp ${fuzz_dir}/progress_file.cpp ${fuzz_dir}/front_ends.cpp
              ${fuzz_dir}/host_edges.cpp ${fuzz_dir}/parsers.cpp ${PROJECT_SOURCE_DIR}/host/check_launch.cpp)
find_package(SQLite3 REQUIRED)
target_link_libraries(fuzz_replay_test PRIVATE reliability_harness prufacja_entry korpus_app_core korpus_terminal SQLite::SQLite3)
target_compile_definitions(fuzz_replay_test PRIVATE FUZZ_FOLDER="${fuzz_dir}")

find_package(SQLite3 REQUIRED)
prufacja_test(hostile_input_test hostile_input_test.cpp)
target_link_libraries(hostile_input_test PRIVATE reliability_harness SQLite::SQLite3)

prufacja_test(kill_sweep_test kill_sweep_test.cpp)
target_link_libraries(kill_sweep_test PRIVATE reliability_harness)

prufacja_test(ignored_entry_test ignored_entry_test.cpp ${PROJECT_SOURCE_DIR}/host/check_launch.cpp)
target_link_libraries(ignored_entry_test PRIVATE reliability_harness)

prufacja_test(inherited_operations_test inherited_operations_test.cpp)
target_link_libraries(inherited_operations_test PRIVATE reliability_harness)

prufacja_test(dialog_focus_test dialog_focus_test.cpp)
target_link_libraries(dialog_focus_test PRIVATE reliability_harness)
