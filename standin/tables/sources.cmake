# Sources of this area of the stand-in, listed relative to standin/.
target_sources(standin PRIVATE
  tables/database_check.cpp
  tables/fault_vfs.cpp
  tables/memory_store.cpp
  tables/records.cpp
  tables/schema.cpp
  tables/kept_tables.cpp
  tables/reading_ahead.cpp
  tables/sqlite_connection.cpp
  tables/sqlite_rows.cpp
  tables/sqlite_store.cpp
  tables/sqlite_values.cpp
  tables/tables.cpp
  tables/value_problems.cpp
)
