# Writes the page's service worker: the files it keeps for playing offline
# (FILES, a list of names in DIR) and a version made of their contents, so
# a new build is a new cache and the old one is dropped.
#   cmake -DDIR=... -DFILES=a;b;c -DTEMPLATE=... -DOUTPUT=... -P ServiceWorker.cmake
set(hashes "")
set(names "")
foreach(name IN LISTS FILES)
  file(SHA256 ${DIR}/${name} hash)
  string(APPEND hashes ${hash})
  string(APPEND names "  '${name}',\n")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 RANKS_OFFLINE_VERSION)
set(RANKS_OFFLINE_FILES "${names}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
