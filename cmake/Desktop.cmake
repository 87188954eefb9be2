# The game on a Linux desktop: its menu entry (a terminal game, so
# Terminal=true), its icon at the sizes of the hicolor theme, and the
# AppStream metainfo that software centres show, whose release history is
# written here from CHANGELOG.md's entries.
set(RANKS_APP_ID invalid.ranks_and_files.Ranks)
set(ranks_linux ${CMAKE_SOURCE_DIR}/packaging/linux)
set(ranks_icons ${CMAKE_SOURCE_DIR}/packaging/icons)

# Each "## [X.Y.Z] - DATE" with the paragraph under it, newest first.
set(RANKS_METAINFO_RELEASES "")
string(REGEX MATCHALL "\n## \\[[0-9.]+\\] - [0-9-]+\n\n[^\n#][^\n]*(\n[^\n#][^\n]*)*" ranks_entries "${ranks_changelog}")
foreach(entry IN LISTS ranks_entries)
  string(REGEX MATCH "\\[([0-9.]+)\\] - ([0-9-]+)\n\n(.*)" _ "${entry}")
  set(version ${CMAKE_MATCH_1})
  set(date ${CMAKE_MATCH_2})
  string(REGEX REPLACE "[ \n]+" " " summary "${CMAKE_MATCH_3}")
  string(REPLACE "&" "&amp;" summary "${summary}")
  string(REPLACE "<" "&lt;" summary "${summary}")
  string(APPEND RANKS_METAINFO_RELEASES "    <release version=\"${version}\" date=\"${date}\">\n"
    "      <description>\n        <p>${summary}</p>\n      </description>\n    </release>\n")
endforeach()
if(RANKS_METAINFO_RELEASES STREQUAL "")
  message(FATAL_ERROR "CHANGELOG.md: no release with a paragraph under its heading for the metainfo")
endif()
set(RANKS_METAINFO ${CMAKE_BINARY_DIR}/packaging/${RANKS_APP_ID}.metainfo.xml)
configure_file(${ranks_linux}/${RANKS_APP_ID}.metainfo.xml.in ${RANKS_METAINFO} @ONLY)
set(RANKS_DESKTOP_ENTRY ${ranks_linux}/${RANKS_APP_ID}.desktop)

install(FILES ${RANKS_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${RANKS_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ranks_icons}/ranks.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${RANKS_APP_ID}.svg)
foreach(size IN ITEMS 16 22 24 32 48 64 128 256 512)
  install(FILES ${ranks_icons}/ranks-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${RANKS_APP_ID}.png)
endforeach()
