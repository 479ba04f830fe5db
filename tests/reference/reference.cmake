# The literal check that the benchmark and the differential test compare the
# plug-in with. Included from both places; defined once.
if(NOT TARGET prufacja_reference)
  add_library(prufacja_reference STATIC ${CMAKE_CURRENT_LIST_DIR}/literal_check.cpp)
  target_include_directories(prufacja_reference PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(prufacja_reference PUBLIC prufacja_verify)
endif()
