# Installs qw77 the way a Linux desktop expects a program.
#
# Included once, at the end of the top-level CMakeLists.txt, when every target exists.
include(GNUInstallDirs)

# The reverse-DNS id of the desktop entry, its icon and its AppStream data.
set(QW77_DESKTOP_ID io.github.qw77.Qw77)
include(${CMAKE_CURRENT_LIST_DIR}/Project.cmake)

