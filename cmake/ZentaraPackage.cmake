# The Debian package: `scripts/package` runs CPack's DEB generator on a build.
# The install rules write paths from the prefix at install time, so any build
# folder packages for /usr; DESTDIR staging keeps /etc outside the prefix.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Krelix")
set(CPACK_PACKAGE_CONTACT "Zentara maintainers <zentara@krelix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "space-themed screen saver")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Satellites, space shuttles, astronauts, a flying saucer and tumbling
asteroids fly over ten space scenes; stars twinkle, your own captions rise
from the bottom edge, a clock shows the time and sounds from your list play
now and then. Runs on its own with a password prompt (zentara /S) or as a
display mode of XScreenSaver, MATE Screensaver and xsecurelock.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # zentara_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# MIDI files play through the General MIDI soundfont; Arial is drawn with its metric twin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | fluid-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xsecurelock | xss-lock")
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The installer's record of the installation folder is configuration: dpkg keeps
# a user's changes to it.
file(WRITE "${CMAKE_BINARY_DIR}/package/conffiles" "/etc/xdg/Krelix Zentara/settings.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/package/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
