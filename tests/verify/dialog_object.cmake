# The plug-in's dialog template and its dialog object.
prufacja_test(dialog_template_test dialog_template_test.cpp)
target_link_libraries(dialog_template_test PRIVATE prufacja_verify)

prufacja_test(dialog_object_test dialog_object_test.cpp)
target_link_libraries(dialog_object_test PRIVATE prufacja_verify)
