# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads,
# which std::mutex and GoogleTest need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Libraries built for the target (libpng) live outside the system's sysroot:
# pass their prefix as LUNABEL_TARGET_PREFIX.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUNABEL_TARGET_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${LUNABEL_TARGET_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine runs the test executables that CMake and CTest start.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
