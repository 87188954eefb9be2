# The Windows console backend and the game's executable.
add_library(ranks_platform_windows STATIC src/platform/windows/windows_backend.cpp src/platform/windows/program.cpp
  src/platform/resume_hint.cpp src/platform/platform.cpp)
target_link_libraries(ranks_platform_windows PUBLIC ranks_platform_model ranks_platform_headless_session ranks_platform_os winmm)

add_executable(ranks src/program/main.cpp)
target_include_directories(ranks PRIVATE src)
target_link_libraries(ranks PRIVATE ranks_game ranks_platform_windows)
if(MINGW)
  # One file to copy: no libstdc++, libgcc or winpthread DLLs beside it.
  target_link_options(ranks PRIVATE -static)
endif()
