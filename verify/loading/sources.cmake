# Sources of this capability, relative to verify/.
target_sources(prufacja_verify PRIVATE
  loading/load_invoice.cpp
)
