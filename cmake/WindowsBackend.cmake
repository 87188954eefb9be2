# The Windows console backend and the game's executable.
add_library(ranks_platform_windows STATIC src/platform/windows/windows_backend.cpp src/platform/windows/program.cpp
  src/platform/resume_hint.cpp src/platform/platform.cpp src/platform/windows/sapi_speech.cpp)
# SAPI's voice through COM, for speech.
target_link_libraries(ranks_platform_windows PUBLIC ranks_platform_model ranks_platform_headless_session ranks_platform_os winmm
  sapi ole32 uuid)

add_executable(ranks src/program/main.cpp)
target_include_directories(ranks PRIVATE src)
target_link_libraries(ranks PRIVATE ranks_game ranks_platform_windows)
if(MINGW)
  # One file to copy: no libstdc++, libgcc or winpthread DLLs beside it.
  target_link_options(ranks PRIVATE -static)
endif()

# Its icon, version information (the project's version) and manifest (UTF-8
# as the ANSI code page, long paths), compiled into the executable.
if(CMAKE_RC_COMPILER)
  enable_language(RC)
  set(RANKS_WINDOWS_DIR ${CMAKE_SOURCE_DIR}/packaging/windows)
  set(RANKS_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  set(RANKS_MANIFEST ${CMAKE_BINARY_DIR}/packaging/ranks.manifest)
  configure_file(${RANKS_WINDOWS_DIR}/ranks.manifest ${RANKS_MANIFEST} @ONLY)
  configure_file(${RANKS_WINDOWS_DIR}/ranks.rc.in ${CMAKE_BINARY_DIR}/packaging/ranks.rc @ONLY)
  target_sources(ranks PRIVATE ${CMAKE_BINARY_DIR}/packaging/ranks.rc)
  set_property(SOURCE ${CMAKE_BINARY_DIR}/packaging/ranks.rc APPEND PROPERTY OBJECT_DEPENDS
    ${RANKS_WINDOWS_DIR}/ranks.ico ${RANKS_MANIFEST})
  if(MSVC)
    target_link_options(ranks PRIVATE /MANIFEST:NO)  # ours, not the linker's
  endif()
endif()
