# What a build is: the release itself only at its tag (v1.0.0) with nothing
# changed; otherwise the commit it was built from, and whether it was
# changed. Packages carry the commit's date too, so later snapshots sort
# after earlier ones and before the next release.
#   ranks --version          1.0.0   1.0.0+g41892a2   1.0.0+g41892a2-dirty
#   packages                 1.0.0   1.0.0+git20261209.41892a2[.dirty]
# A tree without git history (an unpacked source tarball) is its version.
#
# Included: ranks_describe_version() sets RANKS_VERSION_FULL and
# RANKS_PACKAGE_VERSION for configuring. As a script:
#   cmake -DSOURCE=DIR [-DPROJECT_VERSION=V] -DPRINT=package|version -P cmake/Version.cmake
#   cmake -DSOURCE=DIR -DPROJECT_VERSION=V -DHEADER=FILE -P cmake/Version.cmake
# prints one of them, or writes a header defining RANKS_VERSION (touched
# only when it changes, so a build recompiles only where it is shown).

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()

# The two forms from what git says; HASH empty when there is no history.
function(ranks_format_version version hash date tagged dirty out_full out_package)
  if(hash STREQUAL "" OR (tagged AND NOT dirty))
    set(full ${version})
    set(package ${version})
  else()
    set(full "${version}+g${hash}")
    set(package "${version}+git${date}.${hash}")
    if(dirty)
      string(APPEND full "-dirty")
      string(APPEND package ".dirty")
    endif()
  endif()
  set(${out_full} ${full} PARENT_SCOPE)
  set(${out_package} ${package} PARENT_SCOPE)
endfunction()

function(ranks_describe_version source version)
  set(hash "")
  set(date "")
  set(tagged FALSE)
  set(dirty FALSE)
  find_program(RANKS_GIT git)
  if(RANKS_GIT)
    execute_process(COMMAND ${RANKS_GIT} -C ${source} rev-parse --show-toplevel OUTPUT_VARIABLE top
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
    # Only the project's own history: not that of a folder it was unpacked in.
    if(NOT failed)
      file(REAL_PATH ${source} source_real)
      file(REAL_PATH ${top} top_real)
    endif()
    if(NOT failed AND source_real STREQUAL top_real)
      execute_process(COMMAND ${RANKS_GIT} -C ${source} rev-parse --short=7 HEAD OUTPUT_VARIABLE hash
                      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
                              ${RANKS_GIT} -C ${source} log -1 --format=%cd --date=format-local:%Y%m%d HEAD
                      OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      execute_process(COMMAND ${RANKS_GIT} -C ${source} tag --points-at HEAD OUTPUT_VARIABLE tags ERROR_QUIET)
      string(REPLACE "\n" ";" tags "${tags}")
      if("v${version}" IN_LIST tags)
        set(tagged TRUE)
      endif()
      # Changed files that git tracks; new untracked ones (a build folder) are not a change.
      execute_process(COMMAND ${RANKS_GIT} -C ${source} status --porcelain --untracked-files=no
                      OUTPUT_VARIABLE changes ERROR_QUIET)
      if(NOT changes STREQUAL "")
        set(dirty TRUE)
      endif()
    endif()
  endif()
  ranks_format_version(${version} "${hash}" "${date}" ${tagged} ${dirty} full package)
  set(RANKS_VERSION_FULL ${full} PARENT_SCOPE)
  set(RANKS_PACKAGE_VERSION ${package} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED SOURCE)
  if(NOT PROJECT_VERSION)
    file(STRINGS ${SOURCE}/CMakeLists.txt project_line REGEX "^project\\(.* VERSION ")
    string(REGEX REPLACE ".* VERSION ([0-9.]+).*" "\\1" PROJECT_VERSION "${project_line}")
  endif()
  ranks_describe_version(${SOURCE} ${PROJECT_VERSION})
  if(PRINT STREQUAL "package")
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${RANKS_PACKAGE_VERSION})
  elseif(PRINT STREQUAL "version")
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${RANKS_VERSION_FULL})
  elseif(HEADER)
    file(CONFIGURE OUTPUT ${HEADER} CONTENT "#define RANKS_VERSION \"@RANKS_VERSION_FULL@\"\n" @ONLY)
  endif()
endif()
