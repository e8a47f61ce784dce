#!/usr/bin/env bash
# Sets up, builds and starts ZANTOR WIN; arguments go to the program (a label file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=$(bash scripts/build.sh | tail -n 1)
exec "$dir/zantorwin" "$@"
