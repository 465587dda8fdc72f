#!/usr/bin/env bash
# Builds qw77-cli.exe and qw77-vprinter.exe for 64-bit Windows with Debian's MinGW-w64
# cross compiler and packs them, with the logos, the virtual printer's fonts and a README for
# Windows users, into out/windows/qw77-VERSION-win64.zip.
#
#   windows.sh                   configures a release build of its own (build/windows-release)
#   windows.sh --build-dir DIR   packs from DIR as it is configured (CI's tested release
#                                build); a DIR not yet configured is configured as above
#
# Only a release build is packed. Prints the zip's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows-release
if [ "${1:-}" = "--build-dir" ]; then
  [ -n "${2:-}" ] || { echo "windows.sh: --build-dir needs a folder" >&2; exit 64; }
  build=$2
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  deps=$(bash tools/windows-deps.sh)
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DQW77_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DQW77_BUILD_TESTS=OFF >&2
fi
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
[[ "$(cache CMAKE_TOOLCHAIN_FILE)" == */mingw-w64.cmake ]] ||
  { echo "windows.sh: $build is not a Windows build" >&2; exit 1; }
[ "$(cache CMAKE_BUILD_TYPE)" = Release ] ||
  { echo "windows.sh: $build is a $(cache CMAKE_BUILD_TYPE) build; only a Release one ships" >&2; exit 1; }
nice cmake --build "$build" --target qw77-cli qw77-vprinter qw77_logos >&2

version=$(sed -n 's/^project(qw77 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=qw77-$version-win64
stage=out/windows/$name
rm -rf "$stage" "out/windows/$name.zip"
mkdir -p "$stage/fonts"
cp "$build"/bin/qw77-cli.exe "$build"/bin/qw77-vprinter.exe "$build"/bin/*.BMP "$stage/"
cp "$build"/bin/fonts/* "$stage/fonts/"
# The fonts' licences travel with them.
cp /usr/share/doc/console-setup-linux/copyright "$stage/fonts/Terminus-copyright.txt"
cp /usr/share/doc/unifont/copyright "$stage/fonts/unifont-copyright.txt"
cp LICENSE "$stage/LICENSE.txt"
# Windows editors want CR LF.
sed 's/$/\r/' packaging/windows/README.txt >"$stage/README.txt"
x86_64-w64-mingw32-strip "$stage"/*.exe
(cd out/windows && cmake -E tar cf "$name.zip" --format=zip "$name")
echo "out/windows/$name.zip"
