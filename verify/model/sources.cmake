# Sources of this capability, relative to verify/.
target_sources(prufacja_verify PRIVATE
  model/counted_items.cpp
  model/counting.cpp
  model/look_ups.cpp
  model/ordering.cpp
  model/position_block.cpp
  model/table_walks.cpp
  model/text_index.cpp
  model/text_helpers.cpp
)
