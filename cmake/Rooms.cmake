# A room is one folder of the core built as one static library that links only the rooms
# below it. Its headers are reached as "<folder>/Name.h" through an include root in the
# build tree that holds a link to that folder alone, so a room sees exactly the rooms it
# links: an include of a room above it does not compile.
#
#   qw77_room(<target> FOLDERS <folder>... | HEADERS <file>...
#             SOURCES <file>... [LINKS <target>...])
# Files are named relative to the project root. HEADERS links single headers instead of
# whole folders, for a room whose folder also holds rooms above it (platform/ holds the
# seams, its subfolders their implementations).
function(qw77_room target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;HEADERS;SOURCES;LINKS" ${ARGN})
  set(_root ${CMAKE_BINARY_DIR}/rooms/${target})
  foreach(_path ${ARG_FOLDERS} ${ARG_HEADERS})
    get_filename_component(_parent ${_root}/${_path} DIRECTORY)
    file(MAKE_DIRECTORY ${_parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${_path} ${_root}/${_path} SYMBOLIC)
  endforeach()
  list(TRANSFORM ARG_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${_root})
  target_link_libraries(${target} PUBLIC ${ARG_LINKS})
  qw77_set_warnings(${target})
endfunction()
