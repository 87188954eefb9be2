# What a build calls itself, from a table of what git says and from a real
# history made here: a release only at its tag with nothing changed.
#   cmake -DWORK=<empty folder> -P tests/version_test.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/Version.cmake)
set(faults "")

# name | hash | date | tagged | dirty | --version | package
set(rows
  "release at its tag|41892a2|20261209|TRUE|FALSE|1.0.0|1.0.0"
  "a commit after it|41892a2|20261209|FALSE|FALSE|1.0.0+g41892a2|1.0.0+git20261209.41892a2"
  "changed files|41892a2|20261209|FALSE|TRUE|1.0.0+g41892a2-dirty|1.0.0+git20261209.41892a2.dirty"
  "the tag with changes|41892a2|20261209|TRUE|TRUE|1.0.0+g41892a2-dirty|1.0.0+git20261209.41892a2.dirty"
  "no history|||FALSE|FALSE|1.0.0|1.0.0")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 hash)
  list(GET row 2 date)
  list(GET row 3 tagged)
  list(GET row 4 dirty)
  list(GET row 5 want_full)
  list(GET row 6 want_package)
  ranks_format_version(1.0.0 "${hash}" "${date}" ${tagged} ${dirty} full package)
  if(NOT full STREQUAL want_full OR NOT package STREQUAL want_package)
    string(APPEND faults "${name}: ${full} ${package}, not ${want_full} ${want_package}\n")
  endif()
endforeach()

# A history of its own: git's identity and configuration from the work folder only.
set(ENV{HOME} ${WORK})
set(ENV{XDG_CONFIG_HOME} ${WORK}/config)
set(ENV{XDG_DATA_HOME} ${WORK}/data)
set(ENV{GIT_CONFIG_NOSYSTEM} 1)
set(ENV{GIT_AUTHOR_NAME} tester)
set(ENV{GIT_AUTHOR_EMAIL} tester@example.invalid)
set(ENV{GIT_COMMITTER_NAME} tester)
set(ENV{GIT_COMMITTER_EMAIL} tester@example.invalid)
set(ENV{GIT_COMMITTER_DATE} "2026-12-09T23:30:00+00:00")
set(repo ${WORK}/repo)
file(REMOVE_RECURSE ${repo})
file(MAKE_DIRECTORY ${repo}/world)
file(WRITE ${repo}/game.txt "one\n")
find_program(GIT git REQUIRED)
function(git)
  execute_process(COMMAND ${GIT} -C ${repo} ${ARGN} OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endfunction()
git(init -q)
git(add game.txt)
git(commit -q -m first)
execute_process(COMMAND ${GIT} -C ${repo} rev-parse --short=7 HEAD OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE)

# name | what is done first | folder | --version | package
set(steps
  "a commit|git(status)|.|1.0.0+g${hash}|1.0.0+git20261209.${hash}"
  "a new untracked file is no change|file(WRITE ${repo}/build.log x)|.|1.0.0+g${hash}|1.0.0+git20261209.${hash}"
  "a folder inside the history is not the project|git(status)|world|1.0.0|1.0.0"
  "another release's tag|git(tag v0.9.0)|.|1.0.0+g${hash}|1.0.0+git20261209.${hash}"
  "its own tag|git(tag v1.0.0)|.|1.0.0|1.0.0"
  "a tracked file changed|file(APPEND ${repo}/game.txt two)|.|1.0.0+g${hash}-dirty|1.0.0+git20261209.${hash}.dirty")
foreach(step IN LISTS steps)
  string(REPLACE "|" ";" step "${step}")
  list(GET step 0 name)
  list(GET step 1 action)
  list(GET step 2 folder)
  list(GET step 3 want_full)
  list(GET step 4 want_package)
  cmake_language(EVAL CODE "${action}")
  ranks_describe_version(${repo}/${folder} 1.0.0)
  if(NOT RANKS_VERSION_FULL STREQUAL want_full OR NOT RANKS_PACKAGE_VERSION STREQUAL want_package)
    string(APPEND faults "${name}: ${RANKS_VERSION_FULL} ${RANKS_PACKAGE_VERSION}, not ${want_full} ${want_package}\n")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "${faults}")
endif()
