#!/usr/bin/env bash
# Installs what qw77 needs to build, test and run its demo on Debian 12.
# Quiet and quick when everything is there already.
#
#   setup.sh              what the build, the tests and the demo need
#   setup.sh --packaging  also what building and checking the .deb needs, and the Windows
#                         build (CI runs this)
#   setup.sh --windows    also what the Windows build and its tests under wine need
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libzint-dev libpng-dev zlib1g-dev
  libcli11-dev nlohmann-json3-dev libcivetweb-dev
  console-setup-linux fonts-dejavu-core unifont
  zbar-tools xvfb xauth xdotool x11-apps imagemagick
  chromium chromium-driver python3-selenium
)
# The virtual printer's receipts test prints what npm's receipt libraries make.
command -v npm >/dev/null || packages+=(nodejs npm)
# The Windows build: the MinGW-w64 cross compiler (its posix thread model: the win32 one has
# no std::thread), wine to run its tests, dpkg-dev to unpack the libraries' source packages.
windows=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 dpkg-dev)
case "${1:-}" in --packaging | --windows) packages+=("${windows[@]}") ;; esac
if [ "${1:-}" = "--packaging" ]; then
  # help2man writes the man pages from --help; the rest build the package and check it,
  # its desktop entry and its AppStream data.
  packages+=(help2man dpkg-dev lintian desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "qw77 setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
