# The Debian package: `cpack -G DEB` in a build tree (tools/package.sh builds one).
# It installs what `cmake --install` does: the program, tarnixw-cli and its manual page, the
# device simulator, the desktop entry and the icons. The Qt 6 runtime dependencies are found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME "tarnixw")
set(CPACK_PACKAGE_VENDOR "Tarnixw developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for VYRANTA and PLIXARO devices")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tarnixw")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME "tarnixw")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tarnixw_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarnixw developers <tarnixw@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# CPack puts the summary first and indents these lines; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarnixw configures VYRANTA and PLIXARO devices over a USB-to-serial cable as a
Modbus RTU master: it finds the cable's port and the device's slave ID, reads
and writes the whole parameter set, checks each edited field, and saves and
loads binary configuration files.

tarnixw-cli does the same from the command line, without a display: it reads
and writes devices, and shows, converts (binary and JSON) and compares
configuration files, for scripts and version control.

The package also holds tarnixw-devsim, a device simulator that publishes a
pseudo-terminal as a virtual serial port, so the program can be tried without
a device.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A socat pseudo-terminal can stand in for a device as a virtual port.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "socat")

set(CPACK_GENERATOR "DEB")
include(CPack)
