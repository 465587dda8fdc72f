#!/usr/bin/env bash
# Builds the libraries the Windows build links (zlib, libpng, zint, civetweb, GoogleTest)
# with the MinGW-w64 cross compiler, from Debian's own source packages, and puts them with the
# header-only ones (CLI11, nlohmann-json) from their Debian packages into one folder:
#
#   ${XDG_CACHE_HOME:-~/.cache}/qw77/windows-<key>/{include,lib,share}
#
# The key names the source versions and the compiler, so a clean clone reuses the folder
# and a new version of any of them builds a new one. Prints the folder's path on stdout
# (everything else goes to stderr). Nothing is downloaded from outside Debian's archive.
set -euo pipefail
cd "$(dirname "$0")/.."

triple=x86_64-w64-mingw32
cc=$triple-gcc-posix
cxx=$triple-g++-posix
log() { echo "windows-deps: $*" >&2; }
command -v "$cxx" >/dev/null || { log "$cxx is missing: run tools/setup.sh --windows"; exit 1; }

# The source package and version each library comes from, read from the installed -dev
# packages (which the Linux build uses too), so the two builds use the same sources.
source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
sources=("$(source_of zlib1g-dev)" "$(source_of libpng-dev)" "$(source_of libzint-dev)"
  "$(source_of libcivetweb-dev)")
gtest_version=$(dpkg-query -W -f='${Version}' libgtest-dev)
headers="$(dpkg-query -W -f='${Version}' libcli11-dev)-$(dpkg-query -W -f='${Version}' nlohmann-json3-dev)"
compiler=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
# Raised whenever the way the libraries are built below changes.
recipe=2
key=$(printf '%s\n' "${sources[@]}" "gtest=$gtest_version" "headers=$headers" \
  "compiler=$compiler" "recipe=$recipe" | sha256sum | cut -c1-16)
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/qw77"
prefix="$cache_root/windows-$key"
if [ -f "$prefix/.complete" ]; then
  log "cached in $prefix"
  echo "$prefix"
  exit 0
fi

log "building into $prefix (${sources[*]}, googletest $gtest_version, compiler $compiler)"
mkdir -p "$cache_root"
work=$(mktemp -d "$cache_root/windows-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib" "$prefix/share/cmake"

# The source packages come from the main archive (its deb-src entry is added once; the
# security archive has none).
src_list=/etc/apt/sources.list.d/qw77-deb-src.sources
if ! apt-get source --print-uris "${sources[0]}" >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  log "adding the deb-src entry $src_list"
  printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
    "Suites: bookworm bookworm-updates" "Components: main" \
    "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" | $sudo tee "$src_list" >/dev/null
  $sudo apt-get update -qq
fi
# The installed version when the archive still carries it, else the archive's own.
for source in "${sources[@]}"; do
  (cd "$work" && { apt-get source -qq --download-only "$source" 2>/dev/null ||
    { log "$source is not in the archive; taking its current ${source%%=*}" &&
      apt-get source -qq --download-only "${source%%=*}" 2>/dev/null; }; }) >&2
done
(cd "$work" && for dsc in *.dsc; do dpkg-source -x --no-check "$dsc" >/dev/null 2>&1; done)
src() { find "$work" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -n 1; }
jobs=$(nproc)

cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix" -DQW77_WINDOWS_DEPS="$prefix" -DBUILD_SHARED_LIBS=OFF
  -DCMAKE_CROSSCOMPILING_EMULATOR=)
build() {  # <name> <source dir> [cmake options...]
  local name=$1 dir=$2
  shift 2
  log "building $name"
  cmake -S "$dir" -B "$work/build-$name" "${cross[@]}" "$@" >"$work/$name.log" 2>&1 &&
    nice cmake --build "$work/build-$name" -j "$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 ||
    { tail -n 30 "$work/$name.log" >&2; log "$name failed"; exit 1; }
}

# zlib: its handful of C files make the static library (its CMake build would make the DLL).
zlib=$(src zlib)
log "building zlib"
(cd "$zlib" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback \
  inffast inflate inftrees trees uncompr zutil; do echo "$c"; done |
  xargs -P "$jobs" -I{} "$cc" -O2 -D_LARGEFILE64_SOURCE=1 -c {}.c -o "$work/zlib-{}.o" &&
  $triple-ar rcs "$prefix/lib/libz.a" "$work"/zlib-*.o && cp zlib.h zconf.h "$prefix/include/")

# civetweb, the web view's HTTP server: its one C file, without TLS (the view serves plain
# HTTP) and without CGI, with IPv6.
civetweb=$(src civetweb)
log "building civetweb"
"$cc" -O2 -DNO_SSL -DNO_CGI -DUSE_IPV6 -I"$civetweb/include" -c "$civetweb/src/civetweb.c" \
  -o "$work/civetweb.o" && $triple-ar rcs "$prefix/lib/libcivetweb.a" "$work/civetweb.o" &&
  cp "$civetweb/include/civetweb.h" "$prefix/include/"

build libpng "$(src libpng1.6)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF -DZLIB_ROOT="$prefix"
build zint "$(src zint)" -DZINT_SHARED=OFF -DZINT_STATIC=ON -DZINT_USE_QT=OFF \
  -DZINT_FRONTEND=OFF -DZINT_USE_PNG=OFF -DZINT_TEST=OFF
build googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
# zint's static library is named zint-static; the project looks for zint. Its DLL's import
# library goes, or the linker would take it and the program would need the DLL.
[ -f "$prefix/lib/libzint.a" ] || cp "$prefix/lib/libzint-static.a" "$prefix/lib/libzint.a"
rm -f "$prefix"/lib/*.dll.a "$prefix"/bin/*.dll

# The header-only libraries, with their CMake package files (which find their headers
# relative to themselves).
cp -r /usr/include/CLI /usr/include/nlohmann "$prefix/include/"
for package in CLI11 nlohmann_json; do
  for dir in /usr/share/cmake /usr/lib/cmake /usr/lib/x86_64-linux-gnu/cmake; do
    [ -d "$dir/$package" ] && cp -r "$dir/$package" "$prefix/share/cmake/"
  done
done

# Earlier builds of other versions are of no more use.
find "$cache_root" -maxdepth 1 -name 'windows-*' ! -name "windows-$key" ! -name 'windows-build.*' \
  -exec rm -rf {} +
touch "$prefix/.complete"
log "done in $prefix"
echo "$prefix"
