# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain, tested under wine.
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DQW77_WINDOWS_DEPS=<the folder tools/windows-deps.sh prints>
#
# The posix thread model: the win32 one has no std::thread or std::mutex. Everything is
# linked statically, so the .exe files run on a bare Windows with no DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# The libraries built for Windows by tools/windows-deps.sh, and the toolchain's own.
if(NOT QW77_WINDOWS_DEPS AND DEFINED ENV{QW77_WINDOWS_DEPS})
  set(QW77_WINDOWS_DEPS $ENV{QW77_WINDOWS_DEPS})
endif()
set(QW77_WINDOWS_DEPS "${QW77_WINDOWS_DEPS}" CACHE PATH "Libraries built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QW77_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${QW77_WINDOWS_DEPS})
set(CMAKE_PREFIX_PATH ${QW77_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The release build (what the zip ships) at -O2, as Debian builds its packages: at CMake's
# -O3 this compiler (GCC 12) warns of out-of-bounds copies inside std::vector that cannot
# happen. Forced, so that a tree first configured as another type gets it too.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)

# ctest runs the test programs (and the build runs its generators) under wine.
get_filename_component(_tools ${CMAKE_CURRENT_LIST_DIR}/../tools ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_tools}/wine-run.sh)
