# Converts every file under world/ to code page 932 into bin/world/ (but
# the translations, which stay UTF-8).
if(CMAKE_CROSSCOMPILING)
  find_program(RANKS_ICONV iconv REQUIRED)
  set(RANKS_CONVERT ${RANKS_ICONV})
else()
  add_executable(cp932_convert tools/cp932_convert.cpp)
  target_link_libraries(cp932_convert PRIVATE ranks_text)
  set(RANKS_CONVERT $<TARGET_FILE:cp932_convert>)
endif()

file(GLOB_RECURSE RANKS_WORLD_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/world ${CMAKE_SOURCE_DIR}/world/*)
set(RANKS_WORLD_OUTPUTS)
foreach(rel IN LISTS RANKS_WORLD_FILES)
  set(src ${CMAKE_SOURCE_DIR}/world/${rel})
  set(out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/world/${rel})
  get_filename_component(outdir ${out} DIRECTORY)
  if(rel MATCHES "\\.po$")
    # Translations are gettext files, in UTF-8 as translators' tools write them.
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy ${src} ${out}
      DEPENDS ${src} VERBATIM)
  elseif(CMAKE_CROSSCOMPILING)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
      COMMAND ${RANKS_ICONV} -f UTF-8 -t CP932 ${src} -o ${out}
      DEPENDS ${src} VERBATIM)
  else()
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
      COMMAND cp932_convert ${src} ${out}
      DEPENDS ${src} cp932_convert VERBATIM)
  endif()
  list(APPEND RANKS_WORLD_OUTPUTS ${out})
endforeach()
add_custom_target(ranks_world ALL DEPENDS ${RANKS_WORLD_OUTPUTS})
