# The plug-in's dialog template, the stand-in's dialog engine and the
# scripted front end.
prufacja_test(dialog_template_test dialog_template_test.cpp)
target_link_libraries(dialog_template_test PRIVATE prufacja_verify)

prufacja_test(dialog_engine_test dialog_engine_test.cpp)
target_link_libraries(dialog_engine_test PRIVATE prufacja_verify)
