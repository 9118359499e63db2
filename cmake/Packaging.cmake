# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are read from the
# program's libraries (dpkg-shlibdeps), plus what the program loads at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunora)
set(CPACK_PACKAGE_VENDOR Tunora)
set(CPACK_PACKAGE_CONTACT "Tunora maintainers <maintainers@tunora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "song player and ringtone cutter")
set(CPACK_PACKAGE_DESCRIPTION
  "Plays the songs of a music folder and cuts ringtones from them: mark the start and the end of a part, then cut it into a file of its own or merge several parts into one file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tunora.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so invisible to dpkg-shlibdeps: the window's platform plugin, libmpv
# (the media engine, loaded behind the window), and a font that has the window's Chinese texts;
# Qt's Wayland platform, so that in a Wayland session the window is the compositor's own rather
# than one through XWayland.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libmpv2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, qt6-wayland")
include(CPack)
