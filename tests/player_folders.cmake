# The player's own save and settings folders as a record of what each file
# holds, so that a test run, or all of CI, can show it left them as they
# were. Every folder the game may use on any system is recorded, whichever
# the variables choose, so a change of precedence cannot hide one:
#   cmake -DRECORD=FILE -P player_folders.cmake               records them
#   cmake -DRECORD=FILE -DCOMPARE=ON -P player_folders.cmake  fails naming what changed since
if(NOT RECORD)
  message(FATAL_ERROR "usage: cmake -DRECORD=FILE [-DCOMPARE=ON] -P player_folders.cmake")
endif()

set(folders)
macro(under variable)
  if(DEFINED ENV{${variable}} AND IS_ABSOLUTE "$ENV{${variable}}")
    foreach(relative ${ARGN})
      list(APPEND folders "$ENV{${variable}}/${relative}")
    endforeach()
  endif()
endmacro()
under(HOME .local/share/ranks-and-files .config/ranks-and-files "Library/Application Support/Ranks and Files")
under(XDG_DATA_HOME ranks-and-files)
under(XDG_CONFIG_HOME ranks-and-files)
under(APPDATA "Ranks and Files")
list(REMOVE_DUPLICATES folders)

# One line per folder and per thing in it: absent, a folder, a link and
# where it points, or a file and its digest.
set(now "")
foreach(folder IN LISTS folders)
  if(NOT EXISTS "${folder}" AND NOT IS_SYMLINK "${folder}")
    string(APPEND now "${folder}: absent\n")
    continue()
  endif()
  file(GLOB_RECURSE entries LIST_DIRECTORIES true "${folder}/*")
  list(PREPEND entries "${folder}")
  list(SORT entries)
  foreach(entry IN LISTS entries)
    if(IS_SYMLINK "${entry}")
      file(READ_SYMLINK "${entry}" target)
      string(APPEND now "${entry}: a link to ${target}\n")
    elseif(IS_DIRECTORY "${entry}")
      string(APPEND now "${entry}: a folder\n")
    else()
      file(SHA256 "${entry}" digest)
      string(APPEND now "${entry}: ${digest}\n")
    endif()
  endforeach()
endforeach()

if(NOT COMPARE)
  file(WRITE "${RECORD}" "${now}")
  return()
endif()
file(READ "${RECORD}" before)
if(before STREQUAL now)
  return()
endif()
# What differs, line by line: as it was, and as it is now.
string(REPLACE ";" "?" before "${before}")
string(REPLACE ";" "?" now "${now}")
string(REPLACE "\n" ";" was "${before}")
string(REPLACE "\n" ";" is "${now}")
set(gone ${was})
list(REMOVE_ITEM gone ${is})
set(came ${is})
list(REMOVE_ITEM came ${was})
list(JOIN gone "\n  " gone)
list(JOIN came "\n  " came)
message(FATAL_ERROR "the player's own folders changed (a game played meanwhile counts too).\n"
  "Was:\n  ${gone}\nNow:\n  ${came}")
