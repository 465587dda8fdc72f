# The virtual printer's library, made by a function so that the fuzz build can make its own
# instrumented copy from the same sources without building (or changing) the printer's
# targets. Included by vprinter/CMakeLists.txt and fuzz/CMakeLists.txt.
include_guard(GLOBAL)

find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_library(QW77_ZINT_LIBRARY NAMES zint REQUIRED)
find_path(QW77_ZINT_INCLUDE_DIR NAMES zint.h REQUIRED)

function(qw77_add_vprinter_library name)
  file(GLOB _sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/vprinter/*.cpp)
  list(REMOVE_ITEM _sources ${PROJECT_SOURCE_DIR}/vprinter/main.cpp)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_include_directories(${name} SYSTEM PRIVATE ${QW77_ZINT_INCLUDE_DIR})
  target_link_libraries(${name} PUBLIC qw77_base PNG::PNG ZLIB::ZLIB ${QW77_ZINT_LIBRARY})
  qw77_set_warnings(${name})
endfunction()
