# Sources of this capability, relative to verify/.
target_sources(prufacja_verify PRIVATE
  import/quantity.cpp
  import/read_collector_file.cpp
)
