# What `cmake --install` adds to the game and its world, and the Windows zip
# (`cpack -G ZIP` in the mingw-w64 build, cmake/mingw-w64-x86_64.cmake),
# which lands in the build's packages/ folder. The Debian package is made
# from debian/ (`dpkg-buildpackage -us -uc -b`), which holds its
# description and dependencies; it installs what is installed here.
# The release date is the changelog's: a version without its entry is not released.
file(READ ${CMAKE_SOURCE_DIR}/CHANGELOG.md ranks_changelog)
if(NOT ranks_changelog MATCHES "\n## \\[${PROJECT_VERSION}\\] - ([0-9]+-[0-9]+-[0-9]+)")
  message(FATAL_ERROR "CHANGELOG.md has no entry \"## [${PROJECT_VERSION}] - YYYY-MM-DD\" for this version")
endif()
set(RANKS_RELEASE_DATE ${CMAKE_MATCH_1})
# Debian's changelog names the same release.
file(STRINGS ${CMAKE_SOURCE_DIR}/debian/changelog ranks_debian_release LIMIT_COUNT 1)
if(NOT ranks_debian_release MATCHES "^${RANKS_PACKAGE} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "debian/changelog's first entry is not \"${RANKS_PACKAGE} (${PROJECT_VERSION})\"")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md
  ${CMAKE_SOURCE_DIR}/debian/changelog ${CMAKE_SOURCE_DIR}/man/ranks.6)

set(CPACK_PACKAGE_NAME ${RANKS_PACKAGE})
set(CPACK_PACKAGE_VENDOR "The Ranks & Files authors")
set(CPACK_PACKAGE_VERSION ${RANKS_PACKAGE_VERSION})
set(CPACK_STRIP_FILES ON)
# Packing builds nothing beyond what it packs: build `game` (or everything) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(ranks_packaging ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${ranks_packaging})

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${RANKS_PACKAGE}-${RANKS_PACKAGE_VERSION}-windows-x64)
  # Unpacks into a folder of its own: the game, its world, the read-me, the licence.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  # ranks.exe holds winpthreads, linked in statically: its notice follows ours.
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE ranks_licence)
  file(READ ${CMAKE_SOURCE_DIR}/packaging/windows/winpthreads-notice.txt ranks_notice)
  file(WRITE ${ranks_packaging}/LICENSE.in "${ranks_licence}${ranks_notice}")
  foreach(pair IN ITEMS "packaging/windows/ReadMe.txt|ReadMe.txt" "packaging/windows/Continue.bat|Continue.bat"
                        "${ranks_packaging}/LICENSE.in|LICENSE.txt")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    if(NOT IS_ABSOLUTE ${from})
      set(from ${CMAKE_SOURCE_DIR}/${from})
    endif()
    configure_file(${from} ${ranks_packaging}/${to} @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${ranks_packaging}/${to} DESTINATION .)
  endforeach()
elseif(NOT APPLE)
  if(RANKS_DEBIAN)
    # Debian's policy: the manual compressed with gzip -9n. The copyright
    # file and the changelogs are debian/'s.
    find_program(RANKS_GZIP_TOOL gzip REQUIRED)
    execute_process(COMMAND ${RANKS_GZIP_TOOL} -9 -n -c ${CMAKE_SOURCE_DIR}/man/ranks.6
      OUTPUT_FILE ${ranks_packaging}/ranks.6.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${ranks_packaging}/ranks.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  else()
    install(FILES man/ranks.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
    install(FILES LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${RANKS_PACKAGE})
  endif()
  include(cmake/Desktop.cmake)
else()
  install(FILES man/ranks.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${RANKS_PACKAGE})
endif()
include(CPack)
