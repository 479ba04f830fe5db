# The host program: its parts in-process, and the whole program driven by
# scripts in a temporary working directory.
prufacja_test(app_parts_test app_parts_test.cpp)
target_link_libraries(app_parts_test PRIVATE korpus_app_core)
