# Sources of this area of the stand-in, listed relative to standin/.
target_sources(standin PRIVATE
  dialog/controls.cpp
  dialog/decimal.cpp
  dialog/dialog_base.cpp
  dialog/dialog_testing.cpp
  dialog/engine.cpp
  dialog/engine_entries.cpp
  dialog/key_help.cpp
  dialog/line_editor.cpp
  dialog/markup.cpp
  dialog/screen.cpp
  dialog/template_reader.cpp
  dialog/widgets.cpp
)
