#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the debug build, the Windows
# build (cross-compiled, tested under wine), the address and undefined-behaviour sanitizer
# build, the Debian package (made from the debug
# build, checked, installed and removed again) and a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each stage says how long it took, so that CI's time can be read off its log.
stage_start=$SECONDS
stage() { echo "== time: $1 $((SECONDS - stage_start)) s"; stage_start=$SECONDS; }

# --packaging: the debug build also makes the man pages, and the package is checked below.
bash tools/setup.sh --packaging
stage "setup"

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

# Adds a ctest summary to the totals.
count() {
  local log=$1 total not_run
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  not_run=$(grep -c '(Skipped)' "$log" || true)
  passed=$((passed + ${total:-0} - not_run))
  skipped=$((skipped + not_run))
}

# Adds the cases of GoogleTest programs run in parts (their XML reports in the folder given)
# to the totals, and takes the parts themselves (one ctest test each) back out of them.
count_cases() {
  local folder=$1 parts cases not_run
  parts=$(find "$folder" -name '*.xml' | wc -l)
  cases=$(cat "$folder"/*.xml | grep -c '<testcase ' || true)
  not_run=$(cat "$folder"/*.xml | grep -c 'result="skipped"' || true)
  passed=$((passed - parts + cases - not_run))
  skipped=$((skipped + not_run))
}

# The slow tests wait on a line rate, not on the processor: they run in the background from
# the end of the debug build to the end of this script, beside every later stage, and not
# under the sanitizers, which would only make the wait longer.
slow='AtLineRate'

echo "== debug: configure, build, test"
# For /usr, as a package is: the package checked below is made from the debug build, and
# the installed program looks for its logos under the prefix it was built for.
cmake --preset debug -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build --preset debug
stage "debug build"
ctest --preset debug -R "$slow" >build/debug/ctest-slow.log 2>&1 &
slow_pid=$!
# A failing stage ends the script; the slow tests end with it.
trap 'kill "$slow_pid" 2>/dev/null || true' EXIT
ctest --preset debug --parallel "$jobs" -E "$slow" | tee build/debug/ctest-summary.log
count build/debug/ctest-summary.log
stage "debug tests"

# The Windows build: cross-compiled as a release build (what the zip ships is what is
# tested), its suites run under wine, and end to end against the Linux build above; then the
# zip is packed from that tree, unpacked elsewhere and its programs run from there. The
# libraries it links are built once and kept outside the checkout.
echo "== windows: cross build (MinGW-w64), the suites under wine, the zip"
windows_deps=$(bash tools/windows-deps.sh)
stage "windows libraries"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DQW77_WINDOWS_DEPS="$windows_deps" -DCMAKE_BUILD_TYPE=Release -DQW77_WARNINGS_AS_ERRORS=ON \
  -DQW77_LINUX_BIN="$PWD/build/debug/bin" >/dev/null
cmake --build build/windows
stage "windows build"
ctest --test-dir build/windows --parallel "$jobs" --output-on-failure |
  tee build/windows/ctest-summary.log
count build/windows/ctest-summary.log
stage "windows tests"
windows_zip=$(bash tools/windows.sh --build-dir build/windows | tail -n 1)
bash tests/windows/zip_wine.sh "$windows_zip"
stage "windows zip"

# The sanitizers watch memory: the suites that handle bytes, files and replies (core, shell
# front end, virtual printer, end to end). The window's tests exercise Qt's widgets, which
# the debug build already runs.
echo "== asan: configure, build, test"
# Each GoogleTest program runs in two parts rather than a process per case: starting a
# process under the sanitizers costs about a tenth of a second, which over some nine hundred
# cases was most of this stage.
cmake --preset asan -DCMAKE_INSTALL_PREFIX=/usr -DQW77_BUILD_GUI=OFF -DQW77_GTEST_SHARDS=2 \
  -DQW77_GTEST_FILTER="-*$slow*" >/dev/null
cmake --build --preset asan
stage "asan build"
# The browser test drives Chromium against the page; the web API's test, which sends the
# hostile requests, runs here.
rm -rf build/asan/gtest
ctest --preset asan --parallel "$jobs" -E "vprinter_web_browser" |
  tee build/asan/ctest-summary.log
count build/asan/ctest-summary.log
count_cases build/asan/gtest
stage "asan tests"

echo "== package: the .deb from the debug build: lintian, desktop entry, AppStream, installed"
bash tools/package.sh --build-dir build/debug --out build/debug/package --install-check
stage "package"

if [ -f fuzz/CMakeLists.txt ]; then
  echo "== fuzz: short libFuzzer runs, one target a core"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  stage "fuzz build"
  pids=()
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
      "fuzz/seeds/$name" >"build/fuzz/$name.log" 2>&1 &
    pids+=($!)
  done
  fuzz_failed=0
  for pid in "${pids[@]}"; do wait "$pid" || fuzz_failed=1; done
  for log in build/fuzz/fuzz_*.log; do echo "-- $(basename "$log" .log)"; tail -n 3 "$log"; done
  ((fuzz_failed == 0)) || { echo "== the fuzzer found a fault (its log above)" >&2; exit 1; }
  stage "fuzz runs"
fi
echo "== the slow tests, started after the debug build"
slow_status=0
wait "$slow_pid" || slow_status=$?
trap - EXIT
cat build/debug/ctest-slow.log
((slow_status == 0)) || { echo "== the slow tests failed" >&2; exit 1; }
count build/debug/ctest-slow.log
stage "slow tests (the wait left)"

echo "== all tests passed (both builds and the package; the fuzzer found nothing)"
echo "tests: $passed passed, 0 failed, $skipped skipped"
