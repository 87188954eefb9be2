# The game on a POSIX terminal (Linux, macOS, BSD).
file(GLOB RANKS_TERMINAL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/terminal/*.cpp)
add_library(ranks_platform_terminal STATIC ${RANKS_TERMINAL_SOURCES} ${CMAKE_SOURCE_DIR}/src/platform/platform.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/posix/program.cpp ${CMAKE_SOURCE_DIR}/src/platform/resume_hint.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/posix/speech_dispatcher.cpp)
# dlopen for the speech service's library, found when speech is turned on,
# and the thread that talks to it.
find_package(Threads REQUIRED)
target_link_libraries(ranks_platform_terminal PUBLIC ranks_platform_model ranks_platform_headless_session ranks_platform_os
  ${CMAKE_DL_LIBS} Threads::Threads)

add_executable(ranks src/program/main.cpp)
target_link_libraries(ranks PRIVATE ranks_game ranks_platform_terminal)

# Figures of the renderer and of the idle key poll; run by hand.
add_executable(ranks_bench_terminal bench/terminal_bench.cpp)
target_link_libraries(ranks_bench_terminal PRIVATE ranks_platform_terminal)

# The backend on its own, for the real-terminal tests.
add_executable(ranks_terminal_probe tools/terminal_probe.cpp)
target_include_directories(ranks_terminal_probe PRIVATE src)
target_link_libraries(ranks_terminal_probe PRIVATE ranks_platform_terminal)

# Each animation's duration on the real binary on a pseudo-terminal; run by hand:
#   build/bin/ranks_bench_animations build/bin/ranks build/bin/world
add_executable(ranks_bench_animations bench/animation_bench.cpp)
target_include_directories(ranks_bench_animations PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(ranks_bench_animations PRIVATE ranks_game ranks_platform_headless)

# Wake-ups of the real game in each of its waits on a pseudo-terminal:
#   build/bin/ranks_bench_waits build/bin/ranks build/bin/world RECORDING [--check]
add_executable(ranks_bench_waits bench/waits_bench.cpp)
target_include_directories(ranks_bench_waits PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(ranks_bench_waits PRIVATE ranks_game ranks_platform_headless)
