# Sources of this area of the stand-in, listed relative to korpus/.
target_sources(korpus PRIVATE
  files/collector.cpp
  files/documents.cpp
  files/streams.cpp
)
