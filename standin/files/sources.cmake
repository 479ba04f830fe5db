# Sources of this area of the stand-in, listed relative to korpus/.
target_sources(korpus PRIVATE
  files/collector.cpp
  files/documents.cpp
)
if(WIN32)
  target_sources(korpus PRIVATE files/streams_win32.cpp)
else()
  target_sources(korpus PRIVATE files/streams.cpp)
endif()
