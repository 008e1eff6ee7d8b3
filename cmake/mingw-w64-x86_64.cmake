# Cross build for 64-bit Windows with the MinGW-w64 compilers of Debian and
# Ubuntu (package g++-mingw-w64-x86-64):
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-windows
#
# The project links MinGW programs statically, so the .exe files need no
# MinGW runtime DLL on the Windows machine. The posix-threads flavour of the
# compiler is preferred: its C++ library has std::thread and std::mutex.
# GoogleTest is built from the sources in /usr/src/googletest (Debian package
# googletest), see tests/CMakeLists.txt.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DOORLOCK_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(DOORLOCK_MINGW_CXX NAMES ${DOORLOCK_MINGW_TRIPLE}-g++-posix ${DOORLOCK_MINGW_TRIPLE}-g++ REQUIRED)
find_program(DOORLOCK_MINGW_CC NAMES ${DOORLOCK_MINGW_TRIPLE}-gcc-posix ${DOORLOCK_MINGW_TRIPLE}-gcc)
find_program(DOORLOCK_MINGW_RC NAMES ${DOORLOCK_MINGW_TRIPLE}-windres)
set(CMAKE_CXX_COMPILER ${DOORLOCK_MINGW_CXX})
if(DOORLOCK_MINGW_CC)
  set(CMAKE_C_COMPILER ${DOORLOCK_MINGW_CC})
endif()
if(DOORLOCK_MINGW_RC)
  set(CMAKE_RC_COMPILER ${DOORLOCK_MINGW_RC})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${DOORLOCK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# With wine installed, ctest runs the test programs under it.
find_program(DOORLOCK_WINE NAMES wine)
if(DOORLOCK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DOORLOCK_WINE})
endif()
