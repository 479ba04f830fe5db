# Sources of this area of the stand-in, listed relative to standin/.
target_sources(standin PRIVATE
  ini/disk.cpp
  ini/ini_access.cpp
  ini/ini_document.cpp
  ini/ini_files.cpp
  ini/value_format.cpp
)
if(WIN32)
  target_sources(standin PRIVATE ini/disk_win32.cpp)
else()
  target_sources(standin PRIVATE ini/disk_posix.cpp)
endif()
