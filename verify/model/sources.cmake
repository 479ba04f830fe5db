# Sources of this capability, relative to verify/.
target_sources(prufacja_verify PRIVATE
  model/text_helpers.cpp
  model/counting.cpp
)
