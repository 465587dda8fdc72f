# The virtual printer's library, made by a function so that the fuzz build can make its own
# instrumented copy from the same sources without building (or changing) the printer's
# targets. Included by vprinter/CMakeLists.txt and fuzz/CMakeLists.txt.
include_guard(GLOBAL)

find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_library(QW77_ZINT_LIBRARY NAMES zint REQUIRED)
find_path(QW77_ZINT_INCLUDE_DIR NAMES zint.h REQUIRED)

# The printer's sources, named one by one (main.cpp is the executable's alone).
set(QW77_VPRINTER_SOURCES
    Barcode.cpp Canvas.cpp CodeCommands.cpp CodePages.cpp CodePageTables.cpp CommandTable.cpp
    CrashCleanup.cpp Graphics.cpp HexFont.cpp ImageCommands.cpp Interpreter.cpp Options.cpp
    PaperCommands.cpp ParallelEndpoint.cpp Printer.cpp PrinterCommands.cpp PsfFont.cpp
    Renderer.cpp SerialEndpoint.cpp SerialLink.cpp Server.cpp StatusBits.cpp StatusModel.cpp
    Symbol.cpp TcpEndpoint.cpp TextCommands.cpp)
list(TRANSFORM QW77_VPRINTER_SOURCES PREPEND vprinter/)

# A room of its own: its include root holds the vprinter folder alone, and it borrows only
# the base room, so it cannot reach into the core (and who links it sees only vprinter/).
function(qw77_add_vprinter_library name)
  qw77_room(${name} FOLDERS vprinter SOURCES ${QW77_VPRINTER_SOURCES} LINKS qw77_base PNG::PNG
            ZLIB::ZLIB ${QW77_ZINT_LIBRARY})
  target_include_directories(${name} SYSTEM PRIVATE ${QW77_ZINT_INCLUDE_DIR})
endfunction()
