# The host program: its parts in-process, and the whole program driven by
# scripts in a temporary working directory.
prufacja_test(app_parts_test app_parts_test.cpp)
target_link_libraries(app_parts_test PRIVATE korpus_app_core)

find_package(SQLite3 REQUIRED)
prufacja_test(app_program_test app_program_test.cpp)
target_link_libraries(app_program_test PRIVATE SQLite::SQLite3)
target_compile_definitions(app_program_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                                 KORPUS_PLUGIN="$<TARGET_FILE:prufacja>")
add_dependencies(app_program_test korpus_app prufacja)

# Every host entry missing in turn over one whole check.
prufacja_test(missing_entry_sweep_test missing_entry_sweep_test.cpp)
target_compile_definitions(missing_entry_sweep_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                                         SWEEP_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/sweep/whole_check.script")
add_dependencies(missing_entry_sweep_test korpus_app prufacja)

# The stored documents: the documents view, export, F1.
prufacja_test(app_documents_test app_documents_test.cpp)
target_link_libraries(app_documents_test PRIVATE SQLite::SQLite3)
target_compile_definitions(app_documents_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>")
add_dependencies(app_documents_test korpus_app prufacja)

# E-invoices into the registers, and a delivery checked against one.
prufacja_test(einvoice_test einvoice_test.cpp)
target_link_libraries(einvoice_test PRIVATE korpus_app_core)
target_compile_definitions(einvoice_test PRIVATE KORPUS_PROGRAM="$<TARGET_FILE:korpus_app>"
                                               TESTS_FOLDER="${CMAKE_CURRENT_SOURCE_DIR}")
add_dependencies(einvoice_test korpus_app prufacja)
