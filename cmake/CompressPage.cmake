# Writes the precompressed copies of the page's files (FILES, names or
# patterns in DIR): NAME.gz, and NAME.br where BROTLI is found.
#   cmake -DDIR=... -DFILES=a;b*;c -DGZIP=... -DBROTLI=... -P CompressPage.cmake
foreach(pattern IN LISTS FILES)
  file(GLOB names ${DIR}/${pattern})
  if(NOT names)
    message(FATAL_ERROR "${DIR} has no ${pattern}")
  endif()
  foreach(name IN LISTS names)
    execute_process(COMMAND ${GZIP} -9 -n -k -f ${name} COMMAND_ERROR_IS_FATAL ANY)
    if(BROTLI)
      execute_process(COMMAND ${BROTLI} -q 11 -k -f ${name} COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
endforeach()
