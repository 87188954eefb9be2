# Cross-building for 64-bit Windows with mingw-w64 (the posix-threads
# compilers, which std::thread, std::mutex and GoogleTest need):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RANKS_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${RANKS_MINGW_TRIPLE}-gcc-posix ${RANKS_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${RANKS_MINGW_TRIPLE}-g++-posix ${RANKS_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${RANKS_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RANKS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable self-contained, so it runs without the compiler's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the Windows executables through wine when it is there.
find_program(RANKS_WINE NAMES wine64 wine)
if(RANKS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RANKS_WINE})
endif()
