# The version is written once, in project() of the top-level CMakeLists.txt, and the
# desktop id once, in Install.cmake. The code reads both from a header generated into the
# build tree (qw77/Project.h); the package, the man pages and the AppStream data take them
# from the same variables.
foreach(_part MAJOR MINOR PATCH)
  set(QW77_VERSION_${_part} ${PROJECT_VERSION_${_part}})
  if(QW77_VERSION_${_part} STREQUAL "")
    set(QW77_VERSION_${_part} 0)
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Project.h.in
               ${PROJECT_BINARY_DIR}/generated/qw77/Project.h @ONLY)
target_include_directories(qw77_base PUBLIC ${PROJECT_BINARY_DIR}/generated)
