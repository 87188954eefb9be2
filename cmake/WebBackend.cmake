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
# The game's module says the authors' tools are not in it.
add_library(ranks_tools_absent STATIC ${CMAKE_SOURCE_DIR}/src/program/web/authors_tools_absent.cpp)
target_link_libraries(ranks_tools_absent PUBLIC ranks_game)

# Pauses and key waits hand control back to the browser (Asyncify). Only
# the functions that can be on the stack at a pause are instrumented: a
# first link with indirect calls ignored tells which imports pause, and
# cmake/asyncify-only.cjs lists from its code what can reach them, indirect
# calls of the game's included; the game's own link is then checked
# against the same question before its code goes into the page. Both links
# keep their names for that, and print Asyncify's advice on one thread
# (several interleave their lines); the page's copy has no names.
find_program(RANKS_WASM_DIS wasm-dis REQUIRED)
set(RANKS_ASYNCIFY_DIR ${CMAKE_BINARY_DIR}/asyncify)
set(RANKS_ASYNCIFY_LIST ${RANKS_ASYNCIFY_DIR}/only.txt)
set(ranks_asyncify_script ${CMAKE_SOURCE_DIR}/cmake/asyncify-only.cjs)
set(ranks_web_link_options
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sASYNCIFY_ADVISE --profiling-funcs
  -sMODULARIZE -sEXPORT_NAME=RanksGame -sENVIRONMENT=web
  -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency -sFORCE_FILESYSTEM
  # A world read from the user's disk may be larger than the default one.
  -sALLOW_MEMORY_GROWTH
  --preload-file ${CMAKE_BINARY_DIR}/bin/world@/game/world)
function(ranks_web_game target dir advice)
  add_executable(${target} src/program/main.cpp)
  target_include_directories(${target} PRIVATE src)
  target_link_libraries(${target} PRIVATE ranks_game ranks_tools_absent ranks_platform_web)
  add_dependencies(${target} ranks_world)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir} SUFFIX .js
    RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env BINARYEN_CORES=1 ${RANKS_NODE} ${ranks_asyncify_script} probe ${advice} --")
  target_link_options(${target} PRIVATE ${ranks_web_link_options} ${ARGN})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${RANKS_WORLD_OUTPUTS} ${ranks_asyncify_script})
endfunction()

ranks_web_game(ranks_asyncify_probe ${RANKS_ASYNCIFY_DIR} ${RANKS_ASYNCIFY_DIR}/probe-advice.txt
  -sASYNCIFY_IGNORE_INDIRECT)
add_custom_command(OUTPUT ${RANKS_ASYNCIFY_LIST}
  COMMAND ${CMAKE_COMMAND} -E env WASM_DIS=${RANKS_WASM_DIS}
          ${RANKS_NODE} ${ranks_asyncify_script} list ${RANKS_ASYNCIFY_DIR}/ranks_asyncify_probe.wasm
          ${RANKS_ASYNCIFY_DIR}/probe-advice.txt ${RANKS_ASYNCIFY_LIST}
  DEPENDS ranks_asyncify_probe ${ranks_asyncify_script} VERBATIM)
add_custom_target(ranks_asyncify_list DEPENDS ${RANKS_ASYNCIFY_LIST})

# Linked beside the page: its JavaScript goes into index.html, its
# WebAssembly (checked, without names) and world package are copied in.
set(RANKS_GAME_DIR ${CMAKE_BINARY_DIR}/game)
# With RANKS_WEB_ASSERTIONS the game also checks itself as it runs (CI runs
# the page's tests so too): among emscripten's checks, Asyncify's trap where
# a function left out of the list sees a pause go by.
option(RANKS_WEB_ASSERTIONS "Link the page's game with emscripten's run-time checks" OFF)
set(ranks_web_checks)
if(RANKS_WEB_ASSERTIONS)
  set(ranks_web_checks -sASSERTIONS=1)
endif()
ranks_web_game(ranks ${RANKS_GAME_DIR} ${RANKS_GAME_DIR}/asyncify-advice.txt -sASYNCIFY_ONLY=@${RANKS_ASYNCIFY_LIST}
  ${ranks_web_checks})
add_dependencies(ranks ranks_asyncify_list)
set_property(TARGET ranks APPEND PROPERTY LINK_DEPENDS ${RANKS_ASYNCIFY_LIST})

# The world painter (`ranks edit`) in its own module, which the page
# fetches only when the visitor opens it: the game with the authors' tools,
# and the web backend with what the painter asks of it (text typed beyond
# ASCII, a play-test run by the page). Asyncify instruments whatever may
# reach a pause, indirect calls included: no list to work out (two links
# fewer), at a size no first visit waits for. Its world package is the
# game's own, which the page already has (checked to be the same bytes).
add_library(ranks_web_tools STATIC ${RANKS_TOOLS_SOURCES})
target_include_directories(ranks_web_tools PRIVATE ${RANKS_VERSION_DIR})
target_link_libraries(ranks_web_tools PUBLIC ranks_game)
add_dependencies(ranks_web_tools ranks_version)
add_library(ranks_platform_web_painter STATIC
  ${CMAKE_SOURCE_DIR}/src/platform/web/web_backend.cpp ${CMAKE_SOURCE_DIR}/src/platform/platform.cpp)
target_compile_definitions(ranks_platform_web_painter PRIVATE RANKS_WEB_PAINTER)
target_link_libraries(ranks_platform_web_painter PUBLIC ranks_platform_model ranks_platform_headless_session
  ranks_platform_os)
add_executable(ranks_painter src/program/main.cpp)
target_link_libraries(ranks_painter PRIVATE ranks_web_tools ranks_game ranks_platform_web_painter)
add_dependencies(ranks_painter ranks_world)
set_target_properties(ranks_painter PROPERTIES OUTPUT_NAME painter RUNTIME_OUTPUT_DIRECTORY ${RANKS_GAME_DIR}
  SUFFIX .js)
target_link_options(ranks_painter PRIVATE -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sMODULARIZE -sEXPORT_NAME=RanksPainter -sENVIRONMENT=web
  -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency -sFORCE_FILESYSTEM -sALLOW_MEMORY_GROWTH
  --preload-file ${CMAKE_BINARY_DIR}/bin/world@/game/world ${ranks_web_checks})
set_property(TARGET ranks_painter APPEND PROPERTY LINK_DEPENDS ${RANKS_WORLD_OUTPUTS})
set(ranks_painter_checked ${CMAKE_BINARY_DIR}/page/painter-world.stamp)
add_custom_command(OUTPUT ${ranks_painter_checked}
  COMMAND ${CMAKE_COMMAND} -E compare_files ${RANKS_GAME_DIR}/painter.data ${RANKS_GAME_DIR}/ranks.data
  COMMAND ${CMAKE_COMMAND} -E touch ${ranks_painter_checked}
  DEPENDS ranks_painter ranks VERBATIM)
set(ranks_painter_files ${RANKS_GAME_DIR}/painter.js ${RANKS_GAME_DIR}/painter.wasm)

# The page itself: index.html with its style sheet, the game's JavaScript
# and page.js with the modules it imports inline (one request, not
# seventeen; the list of languages is made from po/ by cmake/Texts.cmake); beside it the manifest, the icons, and the game's WebAssembly
# and world, named after their contents (ranks-HASH.wasm, ranks-HASH.data)
# so that a page never gets another release's. index.html shows the
# project's version, and names its release after itself and the other files
# (the service worker compares the two).
file(GLOB RANKS_PAGE_MODULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/*.js ${CMAKE_SOURCE_DIR}/web/*.css)
file(GLOB RANKS_PAGE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/web
     ${CMAKE_SOURCE_DIR}/web/*.webmanifest ${CMAKE_SOURCE_DIR}/web/*.png)
list(TRANSFORM RANKS_PAGE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/web/ OUTPUT_VARIABLE ranks_page_files)
configure_file(${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_BINARY_DIR}/page/index.html @ONLY)
set(ranks_page_code ${CMAKE_BINARY_DIR}/page/ranks.wasm)
add_custom_command(OUTPUT ${ranks_page_code}
  COMMAND ${CMAKE_COMMAND} -E env WASM_DIS=${RANKS_WASM_DIS}
          ${RANKS_NODE} ${ranks_asyncify_script} check ${RANKS_GAME_DIR}/ranks.wasm
          ${RANKS_GAME_DIR}/asyncify-advice.txt ${ranks_page_code}
  DEPENDS ranks ${ranks_asyncify_script} VERBATIM)
add_custom_command(OUTPUT ${RANKS_WEB_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E make_directory ${RANKS_WEB_DIR}
  COMMAND ${RANKS_NODE} ${CMAKE_SOURCE_DIR}/cmake/bundle-page.cjs ${CMAKE_BINARY_DIR}/page/index.html
          ${CMAKE_SOURCE_DIR}/web:${RANKS_TEXTS_DIR}/web ${RANKS_GAME_DIR}/ranks.js ${RANKS_WEB_DIR}/index.html
          ${ranks_page_code} ${RANKS_GAME_DIR}/ranks.data "${ranks_painter_files}" ${ranks_page_files}
  DEPENDS ${CMAKE_BINARY_DIR}/page/index.html ${RANKS_PAGE_MODULES} ${ranks_page_files} ${ranks_page_code} ranks
          ${ranks_painter_checked}
          ${CMAKE_SOURCE_DIR}/cmake/bundle-page.cjs ${RANKS_TEXTS_DIR}/web/languages.js
  VERBATIM)
set(RANKS_PAGE_OUTPUTS ${RANKS_WEB_DIR}/index.html)
foreach(name IN LISTS RANKS_PAGE_SOURCES)
  add_custom_command(OUTPUT ${RANKS_WEB_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${name} ${RANKS_WEB_DIR}/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${name} VERBATIM)
  list(APPEND RANKS_PAGE_OUTPUTS ${RANKS_WEB_DIR}/${name})
endforeach()
# The game's files by their pattern: the bundling step writes them with
# index.html.
list(APPEND RANKS_PAGE_SOURCES index.html ranks-*.wasm ranks-*.data painter-*.js painter-*.wasm)

# The service worker keeps every file the page loads, each with its hash,
# under a version of their contents.
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
set(RANKS_COMPRESSED ${CMAKE_BINARY_DIR}/page/compressed.stamp)
add_custom_command(OUTPUT ${RANKS_COMPRESSED}
  COMMAND ${CMAKE_COMMAND} -DDIR=${RANKS_WEB_DIR} "-DFILES=${RANKS_PAGE_SOURCES}" -DGZIP=${RANKS_GZIP}
          -DBROTLI=${RANKS_BROTLI} -P ${CMAKE_SOURCE_DIR}/cmake/CompressPage.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${RANKS_COMPRESSED}
  DEPENDS ${RANKS_PAGE_OUTPUTS} ${CMAKE_SOURCE_DIR}/cmake/CompressPage.cmake VERBATIM)
add_custom_target(ranks_compressed ALL DEPENDS ${RANKS_COMPRESSED})
add_dependencies(ranks_compressed ranks_page ranks)

# The licence beside the page, with that of Emscripten's run-time code,
# which is inside index.html.
add_custom_command(OUTPUT ${RANKS_WEB_DIR}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E make_directory ${RANKS_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E cat ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/web/emscripten-notice.txt
          > ${RANKS_WEB_DIR}/LICENSE.txt
  DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/web/emscripten-notice.txt)
add_custom_target(ranks_page_licence ALL DEPENDS ${RANKS_WEB_DIR}/LICENSE.txt)

# The release: the whole folder, precompressed files and all, in one archive
# that unpacks into a folder named after the version.
set(RANKS_WEB_RELEASE ${RANKS_PACKAGE}-${RANKS_PACKAGE_VERSION}-web)
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
add_dependencies(ranks_web_archive ranks_compressed ranks_page_licence)
