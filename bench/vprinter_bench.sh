#!/usr/bin/env bash
# Builds the release preset and prints the virtual printer's figures: a logo ticket over
# the serial terminal at 38400 baud against its wire time, the time to draw a ticket, the
# application's CPU time against a silent printer, and the printer's peak resident memory
# for a worst-case tall ticket.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target qw77_vprinter_bench qw77-vprinter >/dev/null
build/release/bin/qw77_vprinter_bench
