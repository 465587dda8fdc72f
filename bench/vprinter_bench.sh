#!/usr/bin/env bash
# Builds the release preset and prints the virtual printer's figures: a logo ticket over
# the serial terminal at 38400 baud against its wire time, and the time to draw a ticket.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target qw77_vprinter_bench >/dev/null
build/release/bin/qw77_vprinter_bench
