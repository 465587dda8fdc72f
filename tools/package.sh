#!/usr/bin/env bash
# Builds the Debian package of qw77 and checks it: lintian (no error), the desktop entry
# (desktop-file-validate) and the AppStream data (appstreamcli validate --no-net).
#
#   package.sh                    build the release preset for /usr; the .deb goes to out/package/
#   package.sh --build-dir DIR    package an existing build tree instead (configured with
#                                 -DCMAKE_INSTALL_PREFIX=/usr), as CI does with build/debug
#   package.sh --out DIR          put the .deb in DIR
#   package.sh --install-check    then install it with apt, run it from PATH, print a ticket
#                                 through the window and remove it again (tools/check_installed.sh;
#                                 its pictures and logs go to <out>/check/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build_dir=""
out=out/package
install_check=0
while (($#)); do
  case "$1" in
    --build-dir) build_dir=${2:?--build-dir needs a folder}; shift 2 ;;
    --out) out=${2:?--out needs a folder}; shift 2 ;;
    --install-check) install_check=1; shift ;;
    *) echo "package: unknown option $1 (see the top of tools/package.sh)" >&2; exit 2 ;;
  esac
done

bash tools/setup.sh --packaging

if [ -z "$build_dir" ]; then
  build_dir=build/release
  # Debian's hardening flags (stack protector, fortified functions, full RELRO, bind now);
  # the preset's own -O3 comes after them. The installed program looks for its data under
  # the prefix it was built for, so the prefix is the package's.
  flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)
  cppflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)
  ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
  cmake --preset release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$flags $cppflags" -DCMAKE_C_FLAGS="$flags $cppflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
fi
[ -f "$build_dir/CPackConfig.cmake" ] || {
  echo "package: $build_dir is not a configured build tree" >&2
  exit 1
}
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build_dir/CMakeCache.txt")
if [ "$prefix" != /usr ]; then
  echo "package: $build_dir is configured for $prefix; a package installs into /usr, and the" >&2
  echo "package: program looks for its logos under the prefix it was built for." >&2
  echo "package: configure it with -DCMAKE_INSTALL_PREFIX=/usr" >&2
  exit 1
fi
cmake --build "$build_dir" --target qw77_installable

mkdir -p "$out"
rm -f "$out"/qw77_*.deb
cpack --config "$build_dir/CPackConfig.cmake" -B "$out" >"$build_dir/cpack.log" 2>&1 || {
  cat "$build_dir/cpack.log"
  exit 1
}
rm -rf "$out/_CPack_Packages"
deb=$(find "$out" -maxdepth 1 -name 'qw77_*.deb' | head -n 1)
[ -n "$deb" ] || { echo "package: cpack made no .deb; see $build_dir/cpack.log" >&2; exit 1; }
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"

echo "package: lintian"
# Errors fail; warnings and notes are shown. (CI runs as root, which lintian remarks on.)
lintian_status=0
lintian --fail-on error --display-info "$deb" >"$build_dir/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$build_dir/lintian.log" | sed 's/^/  /' || true
if ((lintian_status)); then
  echo "package: lintian reports errors (exit status $lintian_status)" >&2
  exit 1
fi
echo "  no errors"

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop=$(find "$contents/usr/share/applications" -name '*.desktop' 2>/dev/null | head -n 1)
metainfo=$(find "$contents/usr/share/metainfo" -name '*.metainfo.xml' 2>/dev/null | head -n 1)
if [ -n "$desktop" ]; then
  echo "package: desktop-file-validate $(basename "$desktop")"
  desktop-file-validate "$desktop"
  echo "  valid"
fi
if [ -n "$metainfo" ]; then
  echo "package: appstreamcli validate --no-net $(basename "$metainfo")"
  appstreamcli validate --no-net "$metainfo" | sed -n 's/^\(.\)/  \1/p'
fi

if ((install_check)); then
  bash "$root/tools/check_installed.sh" "$deb" "$out/check"
fi
