# Sources of this area of the stand-in, listed relative to korpus/.
target_sources(korpus PRIVATE
  tables/pending.cpp
)
