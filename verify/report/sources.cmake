# Sources of this capability, relative to verify/.
target_sources(prufacja_verify PRIVATE
  report/host_text.cpp
  report/write_report.cpp
)
