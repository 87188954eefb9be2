# Writes the page's service worker: the files it keeps for playing offline
# (FILES, a list of names or patterns in DIR), each with its SHA-256, the release the
# page says it is, and a cache name made of their contents and of the
# worker's own code, so a new build is a new cache and the old one is
# dropped.
#   cmake -DDIR=... -DFILES=a;b;c -DTEMPLATE=... -DOUTPUT=... -P ServiceWorker.cmake
file(SHA256 ${TEMPLATE} hashes)
file(SHA256 ${DIR}/index.html page)
set(names "  ['./', '${page}'],\n")
foreach(pattern IN LISTS FILES)
  file(GLOB matched RELATIVE ${DIR} ${DIR}/${pattern})
  if(NOT matched)
    message(FATAL_ERROR "${DIR} has no ${pattern}")
  endif()
  foreach(name IN LISTS matched)
    file(SHA256 ${DIR}/${name} hash)
    string(APPEND hashes ${hash})
    string(APPEND names "  ['${name}', '${hash}'],\n")
  endforeach()
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 RANKS_OFFLINE_VERSION)
set(RANKS_OFFLINE_FILES "${names}")
# The page names its release (cmake/bundle-page.cjs): the worker tells an
# open page of an older one that it has this one.
file(STRINGS ${DIR}/index.html release REGEX "<meta name=\"release\" content=\"[0-9a-f]+\">")
if(NOT release MATCHES "content=\"([0-9a-f]+)\"")
  message(FATAL_ERROR "${DIR}/index.html names no release")
endif()
set(RANKS_RELEASE ${CMAKE_MATCH_1})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
