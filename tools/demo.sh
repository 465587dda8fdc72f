#!/usr/bin/env bash
# The main job. For now it composes a sample ticket from the window's default state and
# shows its bytes; the window and the virtual printer take over as they arrive.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release -R 'SampleTicket' --output-on-failure
