# The game in a web page (Emscripten): build-web/web/ is a static folder
# with the page, the game's JavaScript and WebAssembly and the default
# world.
set(RANKS_WEB_DIR ${CMAKE_BINARY_DIR}/web)

# Emscripten's JavaScript optimizer runs on the node found on PATH and
# needs acorn, which a node that is not Debian's own finds only through
# NODE_PATH: say so now rather than fail at the link with a raw stack.
# The page's own bundling (cmake/bundle-page.cjs) parses its modules with
# acorn too.
find_program(RANKS_NODE node REQUIRED)
execute_process(COMMAND ${RANKS_NODE} -e "require('acorn')" RESULT_VARIABLE ranks_acorn_missing
                OUTPUT_QUIET ERROR_QUIET)
if(ranks_acorn_missing)
  message(FATAL_ERROR "emscripten's optimizer cannot find the node module acorn: "
                      "run with NODE_PATH=/usr/share/nodejs (Debian's node modules) set")
endif()

add_library(ranks_platform_web STATIC
  ${CMAKE_SOURCE_DIR}/src/platform/web/web_backend.cpp ${CMAKE_SOURCE_DIR}/src/platform/platform.cpp)
target_link_libraries(ranks_platform_web PUBLIC ranks_platform_model ranks_platform_headless_session ranks_platform_os)

add_executable(ranks src/program/main.cpp)
target_include_directories(ranks PRIVATE src)
target_link_libraries(ranks PRIVATE ranks_game ranks_platform_web)
add_dependencies(ranks ranks_world)
# Linked beside the page: its JavaScript goes into index.html, its
# WebAssembly and world package are copied in.
set(RANKS_GAME_DIR ${CMAKE_BINARY_DIR}/game)
set_target_properties(ranks PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${RANKS_GAME_DIR} SUFFIX .js)
target_link_options(ranks PRIVATE
  # Pauses and key waits hand control back to the browser.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sMODULARIZE -sEXPORT_NAME=RanksGame -sENVIRONMENT=web
  -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency -sFORCE_FILESYSTEM
  # A world read from the user's disk may be larger than the default one.
  -sALLOW_MEMORY_GROWTH
  --preload-file ${CMAKE_BINARY_DIR}/bin/world@/game/world)
set_property(TARGET ranks APPEND PROPERTY LINK_DEPENDS ${RANKS_WORLD_OUTPUTS})

# The page itself: index.html with its style sheet, the game's JavaScript
# and page.js with the modules it imports inline (one request, not
# seventeen); beside it the manifest, the icons, and the game's WebAssembly
# and world. index.html shows the project's version.
file(GLOB RANKS_PAGE_MODULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/*.js ${CMAKE_SOURCE_DIR}/web/*.css)
file(GLOB RANKS_PAGE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/web
     ${CMAKE_SOURCE_DIR}/web/*.webmanifest ${CMAKE_SOURCE_DIR}/web/*.png)
configure_file(${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_BINARY_DIR}/page/index.html @ONLY)
add_custom_command(OUTPUT ${RANKS_WEB_DIR}/index.html
  COMMAND ${RANKS_NODE} ${CMAKE_SOURCE_DIR}/cmake/bundle-page.cjs ${CMAKE_BINARY_DIR}/page/index.html
          ${CMAKE_SOURCE_DIR}/web ${RANKS_GAME_DIR}/ranks.js ${RANKS_WEB_DIR}/index.html
  DEPENDS ${CMAKE_BINARY_DIR}/page/index.html ${RANKS_PAGE_MODULES} ranks ${CMAKE_SOURCE_DIR}/cmake/bundle-page.cjs
  VERBATIM)
set(RANKS_PAGE_OUTPUTS ${RANKS_WEB_DIR}/index.html)
foreach(name IN LISTS RANKS_PAGE_SOURCES)
  add_custom_command(OUTPUT ${RANKS_WEB_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${name} ${RANKS_WEB_DIR}/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${name} VERBATIM)
  list(APPEND RANKS_PAGE_OUTPUTS ${RANKS_WEB_DIR}/${name})
endforeach()
foreach(name IN ITEMS ranks.wasm ranks.data)
  add_custom_command(OUTPUT ${RANKS_WEB_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${RANKS_GAME_DIR}/${name} ${RANKS_WEB_DIR}/${name}
    DEPENDS ranks VERBATIM)
  list(APPEND RANKS_PAGE_OUTPUTS ${RANKS_WEB_DIR}/${name})
endforeach()
list(APPEND RANKS_PAGE_SOURCES index.html ranks.wasm ranks.data)

# The service worker keeps every file the page loads, under a version of
# their contents.
set(RANKS_OFFLINE_FILES ${RANKS_PAGE_SOURCES})
add_custom_command(OUTPUT ${RANKS_WEB_DIR}/service-worker.js
  COMMAND ${CMAKE_COMMAND} -DDIR=${RANKS_WEB_DIR} "-DFILES=${RANKS_OFFLINE_FILES}"
          -DTEMPLATE=${CMAKE_SOURCE_DIR}/cmake/service-worker.js.in -DOUTPUT=${RANKS_WEB_DIR}/service-worker.js
          -P ${CMAKE_SOURCE_DIR}/cmake/ServiceWorker.cmake
  DEPENDS ${RANKS_PAGE_OUTPUTS} ${CMAKE_SOURCE_DIR}/cmake/service-worker.js.in
          ${CMAKE_SOURCE_DIR}/cmake/ServiceWorker.cmake
  VERBATIM)
add_custom_target(ranks_page ALL DEPENDS ${RANKS_PAGE_OUTPUTS})
add_custom_target(ranks_offline ALL DEPENDS ${RANKS_WEB_DIR}/service-worker.js)
add_dependencies(ranks_offline ranks_page ranks)

# Precompressed copies beside each file (name.gz, and name.br where Debian's
# brotli is installed) for a server that sends them as they are.
find_program(RANKS_GZIP gzip REQUIRED)
find_program(RANKS_BROTLI brotli)
set(RANKS_COMPRESSED)
foreach(name IN LISTS RANKS_PAGE_SOURCES)
  set(from ${RANKS_WEB_DIR}/${name})
  set(commands COMMAND ${RANKS_GZIP} -9 -n -k -f ${from})
  set(outputs ${from}.gz)
  if(RANKS_BROTLI)
    list(APPEND commands COMMAND ${RANKS_BROTLI} -q 11 -k -f ${from})
    list(APPEND outputs ${from}.br)
  endif()
  add_custom_command(OUTPUT ${outputs} ${commands} DEPENDS ${from} VERBATIM)
  list(APPEND RANKS_COMPRESSED ${outputs})
endforeach()
add_custom_target(ranks_compressed ALL DEPENDS ${RANKS_COMPRESSED})
add_dependencies(ranks_compressed ranks_page ranks)

# The release: the whole folder, precompressed files and all, in one archive
# that unpacks into a folder named after the version.
set(RANKS_WEB_RELEASE ${RANKS_PACKAGE}-${PROJECT_VERSION}-web)
set(RANKS_WEB_ARCHIVE ${CMAKE_BINARY_DIR}/packages/${RANKS_WEB_RELEASE}.tar.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/release ${CMAKE_BINARY_DIR}/packages)
add_custom_command(OUTPUT ${RANKS_WEB_ARCHIVE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${RANKS_WEB_RELEASE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${RANKS_WEB_DIR} ${RANKS_WEB_RELEASE}
  COMMAND ${CMAKE_COMMAND} -E tar czf ${RANKS_WEB_ARCHIVE} ${RANKS_WEB_RELEASE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${RANKS_WEB_RELEASE}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/release
  DEPENDS ${RANKS_COMPRESSED} ${RANKS_PAGE_OUTPUTS} ranks VERBATIM)
add_custom_target(ranks_web_archive ALL DEPENDS ${RANKS_WEB_ARCHIVE})
add_dependencies(ranks_web_archive ranks_compressed)
