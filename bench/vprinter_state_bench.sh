#!/usr/bin/env bash
# Prints the virtual printer's start-up time and peak resident memory without a state file
# and with one holding 50 NV graphics (384x96 dots each, 225 KiB of the 256 KiB memory):
# the median of 10 starts of `--render` with an empty file, which loads the fonts and the
# state and stops. BIN=path/to/qw77-vprinter measures that build instead of the release one.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z "${BIN:-}" ]]; then
  cmake --preset release >/dev/null
  nice cmake --build --preset release -j2 --target qw77-vprinter >/dev/null
  BIN=build/release/bin/qw77-vprinter
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$BIN" "$work" <<'EOF'
import os, random, statistics, struct, subprocess, sys, time

binary, work = sys.argv[1], sys.argv[2]
random.seed(77)
define = bytearray()
for i in range(50):
    width, height = 384, 96
    data = bytes(random.getrandbits(8) for _ in range(width // 8 * height))
    body = bytes([48, 67, 48, 65 + i // 26, 97 + i % 26, 1]) + struct.pack("<HH", width, height)
    body += bytes([49]) + data
    define += b"\x1d(L" + struct.pack("<H", len(body)) + body
open(f"{work}/define.bin", "wb").write(define)
open(f"{work}/empty.bin", "wb").close()
state = f"{work}/nv.json"
subprocess.run([binary, "--render", f"{work}/define.bin", "--state", state, "--out", work,
                "--quiet"], check=True)

def start(extra):
    times, rss = [], []
    for _ in range(10):
        t0 = time.perf_counter()
        p = subprocess.Popen([binary, "--render", f"{work}/empty.bin", "--out", work, "--quiet"]
                             + extra, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(p.pid, 0)
        times.append((time.perf_counter() - t0) * 1000)
        rss.append(usage.ru_maxrss / 1024)
        if status != 0:
            sys.exit(f"{binary} failed with status {status}")
    return statistics.median(times), max(rss)

print(f"state file: {os.path.getsize(state) / 1024:.0f} KiB, 50 NV graphics")
for name, extra in (("no state file", []), ("50 NV graphics", ["--state", state])):
    ms, mib = start(extra)
    print(f"{name:16s} start-up {ms:6.1f} ms (median of 10), peak RSS {mib:5.1f} MiB")
EOF
