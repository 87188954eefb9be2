# The executable links exactly one console backend, chosen here.
if(EXISTS ${CMAKE_SOURCE_DIR}/src/platform/terminal_backend.cpp)
  file(GLOB RANKS_TERMINAL_SOURCES CONFIGURE_DEPENDS src/platform/terminal_*.cpp)
  add_library(ranks_platform_terminal STATIC ${RANKS_TERMINAL_SOURCES})
  target_link_libraries(ranks_platform_terminal PUBLIC ranks_platform_model)
  add_executable(ranks src/core/main.cpp)
  target_link_libraries(ranks PRIVATE ranks_game ranks_platform_terminal)
endif()
