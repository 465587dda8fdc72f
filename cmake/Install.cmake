# Installs qw77 the way a Linux desktop expects a program: executables in bin, the logos in
# <datadir>/qw77, a menu entry with its icon, AppStream data, man pages, a udev rule for
# USB printers and the Debian documentation files; then describes the .deb (Package.cmake).
#
# Included once, at the end of the top-level CMakeLists.txt, when every target exists.
# Everything it adds to the package's contents is built by the target qw77_installable.
include(GNUInstallDirs)

# The reverse-DNS id of the desktop entry, its icon and its AppStream data.
set(QW77_DESKTOP_ID io.github.qw77.Qw77)
include(${CMAKE_CURRENT_LIST_DIR}/Project.cmake)

set(_qw77_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_qw77_generated ${PROJECT_BINARY_DIR}/packaging)
set(QW77_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/qw77)
set(QW77_FULL_DATADIR ${CMAKE_INSTALL_FULL_DATADIR}/qw77)
add_custom_target(qw77_installable ALL)

# --- where an installed program finds its logos ---------------------------------------
# The program looks beside its executable first, then here. The platform implementations
# answer System::DataDirectory() with it.
target_compile_definitions(qw77_platform_os PRIVATE "QW77_DATA_DIR=\"${QW77_FULL_DATADIR}\"")

# --- executables and logos --------------------------------------------------------------
set(QW77_INSTALLED_PROGRAMS "")
foreach(_program qw77 qw77-vprinter qw77-cli)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND QW77_INSTALLED_PROGRAMS ${_program})
    add_dependencies(qw77_installable ${_program})
  endif()
endforeach()

if(TARGET qw77_logos)
  # Drawn at build time by assets/make_logos beside the executables.
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/SPACE.BMP ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ORVAL.BMP
                ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/CUADROS.BMP
          DESTINATION ${QW77_INSTALL_DATADIR})
  add_dependencies(qw77_installable qw77_logos)
endif()

# --- Debian's documentation files: copyright and changelog -------------------------------
# The changelog's top entry must be this version; its date is the AppStream release date.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                             ${_qw77_packaging}/changelog)
file(STRINGS ${_qw77_packaging}/changelog _qw77_changelog)
list(GET _qw77_changelog 0 _qw77_top)
if(NOT _qw77_top MATCHES "^qw77 \\(([^)]+)\\) " OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog must start with an entry for version "
                      "${PROJECT_VERSION} (project() says so), not \"${_qw77_top}\"")
endif()
set(QW77_RELEASE_DATE "")
foreach(_line IN LISTS _qw77_changelog)
  if(_line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(_day ${CMAKE_MATCH_1})
    set(_month_name ${CMAKE_MATCH_2})
    set(_year ${CMAKE_MATCH_3})
    set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND _months ${_month_name} _month)
    math(EXPR _month "${_month} + 1" OUTPUT_FORMAT DECIMAL)
    string(LENGTH "${_day}" _day_digits)
    if(_day_digits EQUAL 1)
      set(_day 0${_day})
    endif()
    if(_month LESS 10)
      set(_month 0${_month})
    endif()
    set(QW77_RELEASE_DATE ${_year}-${_month}-${_day})
    break()
  endif()
endforeach()
if(QW77_RELEASE_DATE STREQUAL "" OR _month STREQUAL "00")
  message(FATAL_ERROR "packaging/changelog: the top entry has no trailer line with a date "
                      "(\" -- Name <address>  Mon, 07 Dec 2026 12:00:00 +0000\")")
endif()

find_program(QW77_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${_qw77_generated}/changelog.gz
  # -9 and -n (no name, no time stamp): what Debian asks of a compressed changelog.
  COMMAND ${CMAKE_COMMAND} -E copy ${_qw77_packaging}/changelog ${_qw77_generated}/changelog
  COMMAND ${QW77_GZIP} -9nf ${_qw77_generated}/changelog
  DEPENDS ${_qw77_packaging}/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(qw77_changelog DEPENDS ${_qw77_generated}/changelog.gz)
add_dependencies(qw77_installable qw77_changelog)
install(FILES ${_qw77_generated}/changelog.gz ${_qw77_packaging}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# --- menu entry, icon and AppStream data (with the window) --------------------------------
if(TARGET qw77 AND TARGET qw77_make_pictures)
  configure_file(${_qw77_packaging}/qw77.desktop.in
                 ${_qw77_generated}/${QW77_DESKTOP_ID}.desktop @ONLY)
  set(QW77_METAINFO_BINARIES "")
  foreach(_program IN LISTS QW77_INSTALLED_PROGRAMS)
    string(APPEND QW77_METAINFO_BINARIES "    <binary>${_program}</binary>\n")
  endforeach()
  string(STRIP "${QW77_METAINFO_BINARIES}" QW77_METAINFO_BINARIES)
  set(QW77_METAINFO_BINARIES "    ${QW77_METAINFO_BINARIES}")
  configure_file(${_qw77_packaging}/qw77.metainfo.xml.in
                 ${_qw77_generated}/${QW77_DESKTOP_ID}.metainfo.xml @ONLY)
  install(FILES ${_qw77_generated}/${QW77_DESKTOP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_qw77_generated}/${QW77_DESKTOP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The window's own icon, drawn at the icon theme's sizes by the same generator.
  set(_qw77_icon_sizes 48 128 256)
  set(_qw77_icons "")
  foreach(_size IN LISTS _qw77_icon_sizes)
    list(APPEND _qw77_icons ${_qw77_generated}/icons/icon-${_size}.png)
    install(FILES ${_qw77_generated}/icons/icon-${_size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME ${QW77_DESKTOP_ID}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${_qw77_icons}
    COMMAND qw77_make_pictures --icons ${_qw77_generated}/icons ${_qw77_icon_sizes}
    DEPENDS qw77_make_pictures
    COMMENT "Drawing the icon for the desktop's icon theme"
    VERBATIM)
  add_custom_target(qw77_icons DEPENDS ${_qw77_icons})
  add_dependencies(qw77_installable qw77_icons)
endif()

# --- man pages, from each program's --help ----------------------------------------------
# Each page is the program's own --help (so it cannot drift from it), with the sections
# of packaging/man/<program>.h2m added when that file exists.
find_program(QW77_HELP2MAN help2man)
set(_qw77_man_names
    "qw77=exercise thermal ticket printers from a window"
    "qw77-vprinter=virtual thermal ticket printer to try qw77 on"
    "qw77-cli=exercise thermal ticket printers from the command line")
if(QW77_HELP2MAN AND NOT WIN32)
  set(_qw77_pages "")
  foreach(_entry IN LISTS _qw77_man_names)
    string(REGEX MATCH "^[^=]+" _program "${_entry}")
    string(REGEX REPLACE "^[^=]+=" "" _what "${_entry}")
    if(NOT TARGET ${_program})
      continue()
    endif()
    set(_page ${_qw77_generated}/man/${_program}.1)
    set(_include ${_qw77_packaging}/man/${_program}.h2m)
    set(_include_dependency "")
    if(EXISTS ${_include})
      set(_include_dependency ${_include})
    endif()
    add_custom_command(
      OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_qw77_generated}/man
      COMMAND ${QW77_HELP2MAN} --no-info --section=1 --name=${_what}
              --version-string=${PROJECT_VERSION} --opt-include=${_include}
              --output=${_page} $<TARGET_FILE:${_program}>
      COMMAND ${QW77_GZIP} -9nf ${_page}
      DEPENDS ${_program} ${_include_dependency}
      COMMENT "Writing the man page of ${_program}"
      VERBATIM)
    list(APPEND _qw77_pages ${_page}.gz)
    install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(qw77_man_pages DEPENDS ${_qw77_pages})
  add_dependencies(qw77_installable qw77_man_pages)
else()
  message(STATUS "help2man not found: no man pages (bash tools/setup.sh --packaging "
                 "installs it)")
endif()

# --- device access ----------------------------------------------------------------------
# Under lib/ of the prefix, not the multiarch library folder: udev reads
# /usr/lib/udev/rules.d (and /usr/local/lib/udev/rules.d).
install(FILES ${_qw77_packaging}/70-qw77-usb-printers.rules DESTINATION lib/udev/rules.d)

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

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
