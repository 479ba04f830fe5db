# The binding's machine code where the build machine runs it (x86-64); the
# 32-bit Windows stubs are tested under Wine (windows.cmake).
if(NOT WIN32 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64)$")
  prufacja_test(stubs_x86_64_test stubs_x86_64_test.cpp)
  target_link_libraries(stubs_x86_64_test PRIVATE prufacja_host)
  # Its own ordinal lookup stands in for the host library's.
  set_target_properties(stubs_x86_64_test PROPERTIES ENABLE_EXPORTS ON)
endif()
