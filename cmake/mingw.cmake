# Cross toolchain for the Windows deliverables, shared by both architectures: mingw-i686.cmake and
# mingw-x86_64.cmake set CMAKE_SYSTEM_PROCESSOR and include this. The posix thread variant is needed by
# GoogleTest (std::mutex); -static keeps libgcc, libstdc++ and winpthread inside every binary. The shipped
# programs link the win32 variant's C++ runtime instead, without winpthread (runtime/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
