# SPDX-License-Identifier: MIT
# What an installation adds beyond the programs: icons, AppStream metadata, compressed manual
# pages and the package's documents; then the Debian package made by `cpack -G DEB`.

set(MURALO_MAINTAINER "The Muralo32 developers <muralo32@users.noreply.github.com>")
set(MURALO_HOMEPAGE "https://github.com/muralo32/muralo32")
# The Debian revision of this packaging of the upstream version.
set(MURALO_DEB_RELEASE 1)
set(MURALO_DEB_VERSION "${PROJECT_VERSION}-${MURALO_DEB_RELEASE}")
set(MURALO_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/muralo32")

# Icon sizes rendered from data/icons/muralo32.svg into committed PNGs, so that building needs
# no SVG renderer. Desktops that cannot scale the SVG pick the nearest size from these.
set(MURALO_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size IN LISTS MURALO_ICON_SIZES)
    install(FILES data/icons/muralo32-${size}.png RENAME muralo32.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES data/icons/muralo32.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Software centres find the program by this file; its name must be the component id inside it.
set(MURALO_APPSTREAM_ID "io.github.muralo32.muralo32")
configure_file(data/muralo32.metainfo.xml.in ${MURALO_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${MURALO_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog go out gzipped as Debian wants them; -n leaves the name and
# time out of the archive so the same sources make the same package.
configure_file(data/debian/changelog.in changelog.Debian @ONLY)
set(MURALO_GZIPPED)
foreach(source ${CMAKE_CURRENT_SOURCE_DIR}/data/muralo32.1 ${CMAKE_CURRENT_SOURCE_DIR}/data/murctl.1
               ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian)
    get_filename_component(name ${source} NAME)
    set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/gz/${name}.gz)
    add_custom_command(OUTPUT ${gzipped}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} gz/${name}
        COMMAND gzip -9 -n -f gz/${name}
        DEPENDS ${source}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        VERBATIM)
    list(APPEND MURALO_GZIPPED ${gzipped})
endforeach()
add_custom_target(muralo_gzipped_docs ALL DEPENDS ${MURALO_GZIPPED})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/gz/muralo32.1.gz ${CMAKE_CURRENT_BINARY_DIR}/gz/murctl.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/gz/changelog.Debian.gz DESTINATION ${MURALO_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME muralo32)
set(CPACK_PACKAGE_VENDOR "The Muralo32 developers")
set(CPACK_PACKAGE_CONTACT "${MURALO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop wallpaper manager with queues of images")
# Wrapped by hand: Debian wants the lines of the long description under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Muralo32 keeps queues of images, or watches a folder, and changes the desktop"
    "wallpaper on a timer or on command, in sequence or in random order without"
    "repeats. It fits each image to the screen, corrects gamma, reduces colours"
    "where the screen needs it and can play a sound with each change."
    ""
    "It sets the wallpaper on the X11 root window, the GNOME family (through"
    "GSettings), Xfce and KDE Plasma. The murctl command edits queues and changes"
    "the wallpaper from scripts and key bindings.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${MURALO_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MURALO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MURALO_HOMEPAGE}")
# The libraries the programs link come from dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Recommended, not required, since the program works without each of them:
# - a General MIDI soundfont (.sf2 under /usr/share/sounds/sf2, where the sound player looks) is
#   needed only for MIDI sounds; without one they play silence and every other sound plays;
# - gsettings-desktop-schemas holds the GNOME background and screen saver settings; without it the
#   X11 root window is used instead, and every GNOME desktop brings it along anyway;
# - xdg-utils opens the help pages in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | sf2-soundfont-gm, gsettings-desktop-schemas, xdg-utils")
include(CPack)
