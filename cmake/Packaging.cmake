# The release packages, named and numbered from the project's one version:
#   the Debian package: configure with -DRANKS_DEBIAN=ON, build `game`, `cpack -G DEB`
#   the Windows zip: the mingw-w64 build (cmake/mingw-w64-x86_64.cmake), `cpack -G ZIP`
# Both land in the build's packages/ folder.
# The release date is the changelog's: a version without its entry is not released.
file(READ ${CMAKE_SOURCE_DIR}/CHANGELOG.md ranks_changelog)
if(NOT ranks_changelog MATCHES "\n## \\[${PROJECT_VERSION}\\] - ([0-9]+-[0-9]+-[0-9]+)")
  message(FATAL_ERROR "CHANGELOG.md has no entry \"## [${PROJECT_VERSION}] - YYYY-MM-DD\" for this version")
endif()
set(RANKS_RELEASE_DATE ${CMAKE_MATCH_1})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md
  ${CMAKE_SOURCE_DIR}/man/ranks.6)

set(CPACK_PACKAGE_NAME ${RANKS_PACKAGE})
set(CPACK_PACKAGE_VENDOR "The Ranks & Files developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console role-playing game against chess pieces")
# Lines under 80 columns, as Debian's control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A single-player role-playing game for the text console, in Japanese."
  "The hero walks nine field maps; enemies named after chess pieces chase"
  "him, and each one that reaches him starts a turn-based battle against"
  "its group. Victories bring experience and level-ups. Every game is saved"
  "as it goes and can be continued and replayed.")
set(CPACK_STRIP_FILES ON)
# Packing builds nothing beyond what it packs: build `game` (or everything) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${RANKS_PACKAGE}-${PROJECT_VERSION}-windows-x64)
  # Unpacks into a folder of its own: the game, its world, the read-me.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/ReadMe.txt ${CMAKE_BINARY_DIR}/packaging/ReadMe.txt
    @ONLY NEWLINE_STYLE CRLF)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/Continue.bat ${CMAKE_BINARY_DIR}/packaging/Continue.bat
    @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/ReadMe.txt ${CMAKE_BINARY_DIR}/packaging/Continue.bat DESTINATION .)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_NAME ${RANKS_PACKAGE})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(RANKS_MAINTAINER "Ranks & Files maintainers <maintainers@ranks-and-files.invalid>" CACHE STRING
    "The Debian package's maintainer, name and address")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${RANKS_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(ranks_doc ${CMAKE_INSTALL_DATADIR}/doc/${RANKS_PACKAGE})
  set(ranks_packaging ${CMAKE_BINARY_DIR}/packaging)
  file(MAKE_DIRECTORY ${ranks_packaging})
  if(RANKS_DEBIAN)
    # Debian's policy: manuals and changelogs compressed with gzip -9n, the
    # changelog in Debian's own format (the full one is CHANGELOG.md).
    find_program(RANKS_DATE date REQUIRED)
    execute_process(COMMAND ${RANKS_DATE} -u -R -d ${RANKS_RELEASE_DATE} OUTPUT_VARIABLE ranks_date
      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    file(WRITE ${ranks_packaging}/changelog
      "${RANKS_PACKAGE} (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
      "  * Release ${PROJECT_VERSION}: see CHANGELOG.md.gz beside this file.\n\n"
      " -- ${RANKS_MAINTAINER}  ${ranks_date}\n")
    find_program(RANKS_GZIP_TOOL gzip REQUIRED)
    foreach(pair IN ITEMS "${ranks_packaging}/changelog|changelog.gz" "${CMAKE_SOURCE_DIR}/CHANGELOG.md|CHANGELOG.md.gz"
                          "${CMAKE_SOURCE_DIR}/man/ranks.6|ranks.6.gz")
      string(REPLACE "|" ";" pair "${pair}")
      list(GET pair 0 from)
      list(GET pair 1 to)
      execute_process(COMMAND ${RANKS_GZIP_TOOL} -9 -n -c ${from} OUTPUT_FILE ${ranks_packaging}/${to}
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    install(FILES ${ranks_packaging}/ranks.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
    install(FILES ${ranks_packaging}/changelog.gz ${ranks_packaging}/CHANGELOG.md.gz
                  ${CMAKE_SOURCE_DIR}/packaging/debian/copyright DESTINATION ${ranks_doc})
  else()
    install(FILES man/ranks.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  endif()
endif()
include(CPack)
