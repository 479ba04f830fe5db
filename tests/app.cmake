# The host program: its parts in-process, and the whole program driven by
# scripts in a temporary working directory.
prufacja_test(app_parts_test app_parts_test.cpp)
target_link_libraries(app_parts_test PRIVATE korpus_app_core)

prufacja_test(app_program_test app_program_test.cpp)
target_compile_definitions(app_program_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                                 KORPUS_PLUGIN="$<TARGET_FILE:prufacja>")
add_dependencies(app_program_test korpus_app prufacja)
