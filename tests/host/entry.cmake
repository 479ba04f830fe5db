# The plug-in's entry and registration, in-process with the check replaced.
prufacja_test(entry_test entry_test.cpp)
target_link_libraries(entry_test PRIVATE prufacja_entry)
