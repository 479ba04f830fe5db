# Sources of this area of the stand-in, listed relative to standin/.
target_sources(standin PRIVATE
  files/collector.cpp
  files/documents.cpp
)
if(WIN32)
  target_sources(standin PRIVATE files/streams_win32.cpp)
else()
  target_sources(standin PRIVATE files/streams.cpp)
endif()
