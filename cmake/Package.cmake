# The Debian package, made by CPack from the install rules of Install.cmake:
#
#   cpack --config <build>/CPackConfig.cmake -B <folder>     (tools/package.sh does this)
#
# The package installs under CMAKE_INSTALL_PREFIX, the prefix the program was built for,
# so that it finds its data folder: configure with -DCMAKE_INSTALL_PREFIX=/usr for a .deb.
set(QW77_PACKAGE_MAINTAINER "qw77 developers <qw77@example.org>"
    CACHE STRING "Maintainer field of the Debian package (name <address>)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qw77)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the qw77 developers")
set(CPACK_PACKAGE_CONTACT ${QW77_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/qw77/qw77)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# CPack's own work files stay in the build tree; the caller says where the .deb goes.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/cpack)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for thermal ticket printers")
# Lines of at most 79 characters: Debian's limit for the long description.
set(CPACK_PACKAGE_DESCRIPTION
    "qw77 exercises thermal ticket printers of the RX and MQ families from one
window: it prints a sample ticket composed from the window's settings (font,
scale, spacing, margin, density, speed, lines of text, a logo and a barcode),
stores the printer's text settings, starts its self test, reads its status
flags and restores its default configuration. It reaches the printer over a
serial port (COM1 to COM3, also USB serial adapters) or a parallel port (LPT1,
LPT2, through ppdev, without root).

The package also holds qw77-vprinter, a virtual printer that answers like a
real one on a pseudo-terminal and a socket and draws every ticket as a PNG
picture.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QW77_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CPACK_PACKAGE_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# What the libraries' own dependencies do not bring: the window cannot open without Qt's
# platform plugins, and the virtual printer (and the window's preview) draws text with the
# Terminus console fonts, and what they lack with GNU Unifont.
set(_qw77_depends "")
if(TARGET qw77)
  list(APPEND _qw77_depends qt6-qpa-plugins)
endif()
if(TARGET qw77-vprinter OR TARGET qw77)
  list(APPEND _qw77_depends console-setup-linux unifont)
endif()
list(JOIN _qw77_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
