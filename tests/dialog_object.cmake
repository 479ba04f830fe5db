prufacja_test(dialog_object_test dialog_object_test.cpp)
target_link_libraries(dialog_object_test PRIVATE prufacja_verify)
# TEMPORARY until every operation of the check has landed.
set_target_properties(dialog_object_test PROPERTIES EXCLUDE_FROM_ALL ON)
