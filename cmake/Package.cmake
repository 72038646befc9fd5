# The Debian package: `cpack -G DEB` (or scripts/package) turns the install rules into
# melvane_<version>_amd64.deb for /usr. Its dependencies are read from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME melvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Melvane developers")
set(CPACK_PACKAGE_CONTACT "The Melvane developers <melvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music player for modules, MP3, Ogg, FLAC, WMA and audio CDs")
set(CPACK_PACKAGE_DESCRIPTION "Melvane is a lean desktop music player with one playlist of up to 10000
tracks. It plays tracker modules (MOD, S3M, XM, IT), MP3, Ogg Vorbis, FLAC,
WMA and WAV files, gapless where the format allows, and audio CDs. It has a
nine-band equalizer, track information and tag editing, visual plug-ins
(spectrum analyser, oscilloscope, VU meter) and answers media keys and panel
applets through MPRIS.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://melvane.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The desktop's own opener for files dropped on the player and the links of the About box.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
