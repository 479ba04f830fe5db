# Reliability: whole checks driven in-process under injected faults and
# kills, hostile inputs, and the dialog as the stand-in's engine runs it.
prufacja_test(fault_sweep_test fault_sweep_test.cpp)
target_link_libraries(fault_sweep_test PRIVATE reliability_harness)

find_package(SQLite3 REQUIRED)
prufacja_test(hostile_input_test hostile_input_test.cpp)
target_link_libraries(hostile_input_test PRIVATE reliability_harness SQLite::SQLite3)

prufacja_test(kill_sweep_test kill_sweep_test.cpp)
target_link_libraries(kill_sweep_test PRIVATE reliability_harness)

prufacja_test(inherited_operations_test inherited_operations_test.cpp)
target_link_libraries(inherited_operations_test PRIVATE reliability_harness)

prufacja_test(dialog_focus_test dialog_focus_test.cpp)
target_link_libraries(dialog_focus_test PRIVATE reliability_harness)
