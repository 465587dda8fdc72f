# Installs qw77 the way a Linux desktop expects a program.
#
# Included once, at the end of the top-level CMakeLists.txt, when every target exists.
include(GNUInstallDirs)

# The reverse-DNS id of the desktop entry, its icon and its AppStream data.
set(QW77_DESKTOP_ID io.github.qw77.Qw77)
include(${CMAKE_CURRENT_LIST_DIR}/Project.cmake)

set(QW77_FULL_DATADIR ${CMAKE_INSTALL_FULL_DATADIR}/qw77)

# --- where an installed program finds its logos ---------------------------------------
# The program looks beside its executable first, then here. Only the file that answers
# System::DataDirectory() is given the folder, so a new install prefix recompiles one file.
get_target_property(_qw77_core_sources qw77_core SOURCES)
list(FILTER _qw77_core_sources INCLUDE REGEX "/PosixSystem\\.cpp$")
list(LENGTH _qw77_core_sources _qw77_count)
if(NOT _qw77_count EQUAL 1)
  message(FATAL_ERROR "cmake/Install.cmake: expected one PosixSystem.cpp in qw77_core to give "
                      "the installed data folder (QW77_DATA_DIR) to, found ${_qw77_count}")
endif()
set_property(SOURCE ${_qw77_core_sources} TARGET_DIRECTORY qw77_core APPEND
             PROPERTY COMPILE_DEFINITIONS "QW77_DATA_DIR=\"${QW77_FULL_DATADIR}\"")

# --- checks of the installed program's command line ---------------------------------------
if(QW77_BUILD_TESTS AND TARGET qw77)
  # With no display and the X11 platform, Qt cannot start: these pass only when --help and
  # --version are answered before it does.
  set(_qw77_no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                       QT_QPA_PLATFORM=xcb)
  string(REPLACE "." "\\." _qw77_version_pattern "${PROJECT_VERSION}")
  add_test(NAME qw77_version_without_display COMMAND ${_qw77_no_display} $<TARGET_FILE:qw77>
                                                     --version)
  set_tests_properties(qw77_version_without_display PROPERTIES
                       PASS_REGULAR_EXPRESSION "^qw77 ${_qw77_version_pattern}\n$" TIMEOUT 30)
  add_test(NAME qw77_help_without_display COMMAND ${_qw77_no_display} $<TARGET_FILE:qw77> --help)
  set_tests_properties(qw77_help_without_display PROPERTIES
                       PASS_REGULAR_EXPRESSION "QW77_COM1.*QW77_PORT_ACCESS.*${QW77_FULL_DATADIR}\n"
                       TIMEOUT 30)
  # Anything neither ours nor Qt's is refused rather than ignored.
  add_test(NAME qw77_refuses_unknown_arguments COMMAND $<TARGET_FILE:qw77> -platform offscreen
                                                       --no-such-option)
  set_tests_properties(qw77_refuses_unknown_arguments PROPERTIES
                       PASS_REGULAR_EXPRESSION "qw77: unknown argument \"--no-such-option\"" TIMEOUT 30)
endif()
