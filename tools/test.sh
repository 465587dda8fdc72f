#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the debug build, the
# address and undefined-behaviour sanitizer build, the Debian package (made from the debug
# build, checked, installed and removed again) and a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."

# --packaging: the debug build also makes the man pages, and the package is checked below.
bash tools/setup.sh --packaging

export QW77_WERROR=ON
export QT_QPA_PLATFORM=offscreen
# Compiler results are kept between runs on the same machine (in ccache's own folder, outside
# the checkout), so a clean clone rebuilds only what changed since the last run.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # Paths inside the checkout count relative to it, and the folder a build runs in is left
  # out of the key (debug builds would otherwise hash it), so a clone elsewhere hits too.
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
  ccache --max-size=4G >/dev/null
fi
jobs=$(nproc)

passed=0
skipped=0
for preset in debug asan; do
  echo "== $preset: configure, build, test"
  # For /usr, as a package is: the package checked below is made from the debug build, and
  # the installed program looks for its logos under the prefix it was built for.
  cmake --preset "$preset" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
  cmake --build --preset "$preset"
  log="build/$preset/ctest-summary.log"
  ctest --preset "$preset" --parallel "$jobs" | tee "$log"
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  not_run=$(grep -c '(Skipped)' "$log" || true)
  passed=$((passed + total - not_run))
  skipped=$((skipped + not_run))
done

echo "== package: the .deb from the debug build: lintian, desktop entry, AppStream, installed"
package_start=$SECONDS
bash tools/package.sh --build-dir build/debug --out build/debug/package --install-check
echo "== package: $((SECONDS - package_start)) s"

if [ -f fuzz/CMakeLists.txt ]; then
  echo "== fuzz: short libFuzzer runs"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  for target in build/fuzz/bin/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    # The virtual printer holds at most 64 MiB per ticket; the rest of its limit is what
    # libFuzzer and the sanitizers need beside it (about 290 MB at the peak measured).
    rss_mb=2048
    [ "$name" = fuzz_vprinter ] && rss_mb=512
    "$target" -max_total_time="${QW77_FUZZ_SECONDS:-30}" -rss_limit_mb="$rss_mb" "$corpus" \
      "fuzz/seeds/$name" 2>&1 | tail -n 3
  done
fi
echo "== all tests passed (both builds and the package; the fuzzer found nothing)"
echo "tests: $passed passed, 0 failed, $skipped skipped"
