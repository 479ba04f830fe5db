# Sources of this area of the stand-in, listed relative to korpus/.
target_sources(korpus PRIVATE
  dialog/pending.cpp
  dialog/controls.cpp
)
