# The Debian package: `cpack -G DEB` in the build folder writes kivern_<version>-1_<arch>.deb,
# installable with `apt-get install ./kivern_*.deb`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivern)
set(CPACK_PACKAGE_VENDOR Quelmar)
set(CPACK_PACKAGE_CONTACT "KIVERN developers <kivern@quelmar.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial port terminal for testing devices")
set(CPACK_PACKAGE_DESCRIPTION
  "KIVERN shows the bytes a device sends over a serial port as text or hex,
sends text or hex once or at an interval, and keeps twelve quick commands
in cmd.json. USB adapters and virtual ports (pseudo-terminals) appear as
COM ports with remembered numbers. Includes kivern-vdev, a virtual device
that answers AT commands.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# The libraries (Qt 6, jsoncpp, libudev, Lua 5.4's liblua5.4-0, ...) come from dpkg-shlibdeps; the captions need a
# Chinese font, the status line and counters a narrow monospaced face that fits their labels
# (Inconsolata), the other Latin texts are drawn in Liberation or DejaVu faces when present.
# Boost (libboost-dev, for the checksums) is used as headers only: a need of the build, which
# tools/project.sh installs, and none of the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming, fonts-inconsolata, lrzsz")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "socat")
include(CPack)
