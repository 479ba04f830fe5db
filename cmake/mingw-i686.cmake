# Cross build of the Windows side with Debian's mingw-w64 for 32-bit x86:
# prufacja.dll, KORPUS.DLL, korpus.exe and the tests that run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

# The posix thread model: std::mutex and std::thread need it with GCC 12.
set(PRUFACJA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PRUFACJA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PRUFACJA_MINGW_PREFIX}-g++-posix)
set(CMAKE_ASM_COMPILER ${PRUFACJA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_RC_COMPILER ${PRUFACJA_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${PRUFACJA_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${PRUFACJA_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${PRUFACJA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, in a quiet prefix of the build's own.
get_filename_component(PRUFACJA_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PRUFACJA_SOURCE_ROOT}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine)
