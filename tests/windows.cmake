# Tests of the 32-bit Windows build, run under Wine through CTest (the
# cross build's emulator). Natively this file is read and does nothing.
if(NOT WIN32)
  return()
endif()
