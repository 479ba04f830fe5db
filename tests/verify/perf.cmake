# The plug-in against the literal check on random inputs.
include(${tests_dir}/reference/reference.cmake)
prufacja_test(differential_test differential_test.cpp ${tests_dir}/support/refusing_new.cpp)
target_link_libraries(differential_test PRIVATE prufacja_reference)

prufacja_test(text_index_test text_index_test.cpp)
target_link_libraries(text_index_test PRIVATE prufacja_verify)
