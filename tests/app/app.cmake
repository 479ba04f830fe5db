# The host program: its parts in-process, and the whole program driven by
# scripts in a temporary working directory.
prufacja_test(app_parts_test app_parts_test.cpp)
target_link_libraries(app_parts_test PRIVATE korpus_app_core)

find_package(SQLite3 REQUIRED)
korpus_program_test(app_program_test LIBRARIES SQLite::SQLite3 DEFINITIONS KORPUS_PLUGIN="$<TARGET_FILE:prufacja>"
                    KORPUS_LIBRARY="$<TARGET_FILE:standin>")

# The stored documents: the documents view, export, F1.
korpus_program_test(app_documents_test LIBRARIES SQLite::SQLite3)

# E-invoices into the registers, and a delivery checked against one.
korpus_program_test(einvoice_test LIBRARIES korpus_app_core SQLite::SQLite3 DEFINITIONS TESTS_FOLDER="${tests_dir}")
