# Installing Fegolin as a desktop program, and the Debian package CPack
# builds from that installation:
#
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-release
#   cpack --config build-release/CPackConfig.cmake -G DEB -B build-release/package
#
# The program itself is installed by app/ (install(TARGETS fegolin)); this
# file adds what a desktop needs to list, show and describe it.

include(GNUInstallDirs)

# The desktop-file id names the launcher, the software-centre entry and the
# window's desktop file, so all three meet under one name.
set(FEGOLIN_DESKTOP_ID "de.norvalt.Fegolin")
# The day PROJECT_VERSION was released; change the two together.
set(FEGOLIN_RELEASE_DATE "2026-12-07")
set(FEGOLIN_ICON_SIZES 16 22 24 32 48 64 128 256)
set(FEGOLIN_PACKAGE_MAINTAINER "Norvalt <fegolin@norvalt.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

if(FEGOLIN_GUI AND UNIX AND NOT APPLE)
  set(desktop_sources "${PROJECT_SOURCE_DIR}/resources/desktop")
  set(icon_sources "${PROJECT_SOURCE_DIR}/resources/icons")

  configure_file("${desktop_sources}/${FEGOLIN_DESKTOP_ID}.metainfo.xml.in"
                 "${PROJECT_BINARY_DIR}/desktop/${FEGOLIN_DESKTOP_ID}.metainfo.xml" @ONLY)

  # The manual page of the command line, with this release's version and
  # date, compressed as Debian wants it: gzip -9, without name or time
  # stamp, so the same page always gives the same bytes.
  set(FEGOLIN_MANPAGE "${PROJECT_BINARY_DIR}/desktop/fegolin.1")
  configure_file("${desktop_sources}/fegolin.1.in" "${FEGOLIN_MANPAGE}" @ONLY)
  add_custom_command(OUTPUT "${FEGOLIN_MANPAGE}.gz"
                     COMMAND gzip -9 -n -k -f "${FEGOLIN_MANPAGE}"
                     DEPENDS "${FEGOLIN_MANPAGE}"
                     COMMENT "Compressing the manual page"
                     VERBATIM)
  add_custom_target(fegolin_manpage ALL DEPENDS "${FEGOLIN_MANPAGE}.gz")
  install(FILES "${FEGOLIN_MANPAGE}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

  install(FILES "${desktop_sources}/${FEGOLIN_DESKTOP_ID}.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${PROJECT_BINARY_DIR}/desktop/${FEGOLIN_DESKTOP_ID}.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  # The launcher names its icon "fegolin", so every size keeps that name.
  foreach(size IN LISTS FEGOLIN_ICON_SIZES)
    install(FILES "${icon_sources}/fegolin-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME fegolin.png)
  endforeach()
  install(FILES "${icon_sources}/fegolin.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
  # Named after the package, not the project, as Debian expects.
  install(FILES "${desktop_sources}/copyright"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/fegolin")
endif()

set(CPACK_PACKAGE_NAME "fegolin")
set(CPACK_PACKAGE_VENDOR "Norvalt")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray utility that keeps temporary folders clean")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Fegolin empties the folders you list and tick, at an interval of 1 to 99 "
    "seconds, minutes or hours, or at once at the press of a button. Everything "
    "inside a ticked folder is deleted, read-only and hidden files and whole "
    "subfolders included, while the folder itself stays. It lives in the "
    "notification area and can start with the desktop session.")
set(CPACK_PACKAGE_CONTACT "${FEGOLIN_PACKAGE_MAINTAINER}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FEGOLIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# dpkg-shlibdeps (dpkg-dev) works out the library packages from the binary.
# Qt loads its window-system plugins at run time, so no linked library names
# them; without them the program cannot open a window or a tray icon. The
# same goes for the SVG icon engine (libqt6svg6) that draws the program icon
# and the action images at every size and screen density.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# A Wayland session runs the program as a native client with it, through
# XWayland without.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
else()
  set(CPACK_GENERATOR "DEB")
endif()
include(CPack)
