#!/usr/bin/env bash
# Sets up, builds and runs every test. The last line is CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=$(bash scripts/build.sh | tail -n 1)
cd "$dir"
ctest --output-on-failure -j "$(nproc)" "$@"
