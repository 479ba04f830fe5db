# Sources of this capability, relative to verify/.
target_sources(prufacja_verify PRIVATE
  dialog/zrob_prufacje.cpp
  dialog/class_table.cpp
  dialog/row_text.cpp
  dialog/handle_event.cpp
  dialog/dialog_template.cpp
  dialog/run.cpp
)
