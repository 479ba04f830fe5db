# Sources of this area of the stand-in, listed relative to korpus/.
target_sources(korpus PRIVATE
  ini/ini_access.cpp
  ini/ini_document.cpp
  ini/ini_files.cpp
  ini/value_format.cpp
)
