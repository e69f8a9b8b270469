# Installing the terminal as a desktop program, its Debian package, and the checks of both.
#
# Installed under the prefix: bin/kivern (kivern-vdev comes from tools/), the desktop entry,
# the icon in the hicolor theme, the AppStream metainfo, the man pages and the copyright file. The application id
# names the desktop entry, the icon and the metainfo alike.
include(GNUInstallDirs)

set(KIVERN_APP_ID example.quelmar.kivern)
set(KIVERN_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS kivern RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KIVERN_PACKAGING_DIR}/${KIVERN_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KIVERN_PACKAGING_DIR}/${KIVERN_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/icons/kivern-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${KIVERN_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/kivern.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${KIVERN_APP_ID}.svg)

# The licence, as Debian's machine-readable copyright file (it holds the licence's text).
install(FILES ${KIVERN_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Man pages, compressed as Debian installs them (man reads them either way).
set(KIVERN_MAN_PAGES kivern.1 kivern-vdev.1)
set(KIVERN_MAN_OUTPUTS)
foreach(page ${KIVERN_MAN_PAGES})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${KIVERN_PACKAGING_DIR}/man/${page} ${out}
    DEPENDS ${KIVERN_PACKAGING_DIR}/man/${page} VERBATIM)
  list(APPEND KIVERN_MAN_OUTPUTS ${out})
endforeach()
add_custom_target(kivern_man ALL DEPENDS ${KIVERN_MAN_OUTPUTS})
install(FILES ${KIVERN_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

include(${KIVERN_PACKAGING_DIR}/Deb.cmake)

if(KIVERN_TESTS)
  include(${KIVERN_PACKAGING_DIR}/Checks.cmake)
endif()
