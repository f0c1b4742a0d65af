# The Debian package (scripts/package runs cpack -G DEB): tavclient_<version>_amd64.deb,
# installed under /usr. Dependencies on linked libraries come from dpkg-shlibdeps; those
# loaded at run time without linking are listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The TavClient developers")
set(CPACK_PACKAGE_CONTACT "${TAV_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for a text-based multi-user game (MUD)")
# The extended description; CPack indents it and marks the empty line as Debian wants.
set(CPACK_PACKAGE_DESCRIPTION
    "TavClient keeps two connections to the game server: a text stream shown in
a colour terminal with scrollback, selection, clickable links, triggers,
macros and logging, and a structured connection on the port above it that
feeds room panes, a map, gauges, tool windows, sounds, downloads and edit
requests.

A bundled demo world (tavclient-demo) shows it at work without a game
server.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAV_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tavclient/tavclient")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The General MIDI sound font FluidSynth plays with (sound/FluidMidiDevice.h names its
# file), the GStreamer plugins Qt Multimedia decodes sound with, python3 for the demo
# world, and xdg-utils: xdg-open opens the links clicked on the screen and Client Help.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "timgm6mb-soundfont, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, python3, xdg-utils")
# Fonts the screen falls back to for CJK text and emoji its own font lacks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, fonts-noto-cjk | fonts-wqy-microhei, fonts-noto-color-emoji")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pavucontrol")

include(CPack)
