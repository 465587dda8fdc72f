# The virtual printer's rooms, made by functions so that the fuzz build can make its own
# instrumented copies from the same sources without building (or changing) the printer's
# targets, and the window's preview can have the lower rooms without the endpoints.
# Included by vprinter/CMakeLists.txt, frontend/CMakeLists.txt and fuzz/CMakeLists.txt.
#
# One way down: app -> endpoints -> printer -> framing, paper. Each room's include root
# holds its own folder alone (see cmake/Rooms.cmake), so an include of a room above it, or
# of one it does not link, does not compile.
include_guard(GLOBAL)

find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_library(QW77_ZINT_LIBRARY NAMES zint REQUIRED)
find_path(QW77_ZINT_INCLUDE_DIR NAMES zint.h REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
find_package(nlohmann_json 3 CONFIG REQUIRED)

# The paper (pictures, fonts, code pages, barcodes and 2-D codes, PNG files), the framing
# of bytes into commands, and the printer that carries them out: what the preview needs.
# Makes <prefix>_paper, <prefix>_framing and <prefix>_printer.
function(qw77_add_vprinter_printer prefix)
  set(_paper Barcode.cpp Canvas.cpp CodePages.cpp CodePageTables.cpp HexFont.cpp PsfFont.cpp
             Renderer.cpp Symbol.cpp ${QW77_OS}/FontFiles.cpp)
  list(TRANSFORM _paper PREPEND vprinter/paper/)
  qw77_room(${prefix}_paper FOLDERS vprinter/paper SOURCES ${_paper}
            LINKS qw77_base PNG::PNG ZLIB::ZLIB ${QW77_ZINT_LIBRARY})
  target_include_directories(${prefix}_paper SYSTEM PRIVATE ${QW77_ZINT_INCLUDE_DIR})

  qw77_room(${prefix}_framing FOLDERS vprinter/framing
            SOURCES vprinter/framing/CommandTable.cpp vprinter/framing/Interpreter.cpp)

  set(_printer CodeCommands.cpp Graphics.cpp ImageCommands.cpp MaintenanceCommands.cpp
               NvMemory.cpp PaperCommands.cpp Printer.cpp PrinterCommands.cpp StatusBits.cpp
               StatusModel.cpp TestPrint.cpp TextCommands.cpp UserCharacterCommands.cpp
               UserCharacters.cpp)
  list(TRANSFORM _printer PREPEND vprinter/printer/)
  qw77_room(${prefix}_printer FOLDERS vprinter/printer SOURCES ${_printer}
            LINKS ${prefix}_framing ${prefix}_paper qw77_base nlohmann_json::nlohmann_json)
endfunction()

# The interfaces (pseudo-terminal, serial link, parallel socket, TCP, the server loop and
# crash clean-up) and the program's options: <prefix>_endpoints and <prefix>_app.
function(qw77_add_vprinter_service prefix)
  # The pseudo-terminal, its link and the parallel socket are Linux interfaces; the Windows
  # build refuses them (win32/LinuxInterfaces.cpp). Sockets are each system's own.
  set(_endpoints ParallelRegisters.cpp Server.cpp TcpEndpoint.cpp ${QW77_OS}/Sockets.cpp)
  if(WIN32)
    list(APPEND _endpoints win32/LinuxInterfaces.cpp)
  else()
    list(APPEND _endpoints CrashCleanup.cpp ParallelEndpoint.cpp SerialEndpoint.cpp SerialLink.cpp)
  endif()
  list(TRANSFORM _endpoints PREPEND vprinter/endpoints/)
  qw77_room(${prefix}_endpoints FOLDERS vprinter/endpoints SOURCES ${_endpoints}
            LINKS ${prefix}_printer qw77_base)
  # SocketApi.h: the system's socket headers and handle type.
  target_include_directories(${prefix}_endpoints
                             PUBLIC ${PROJECT_SOURCE_DIR}/vprinter/endpoints/${QW77_OS})
  qw77_room(${prefix}_app FOLDERS vprinter/app
            SOURCES vprinter/app/Options.cpp vprinter/app/${QW77_OS}/Process.cpp
            LINKS ${prefix}_endpoints CLI11::CLI11)
endfunction()
