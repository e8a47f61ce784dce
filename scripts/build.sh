#!/usr/bin/env bash
# Configures (once) and builds the project into ./build (or $ZANTOR_BUILD_DIR).
# ZANTOR_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer into ./build-asan.
set -euo pipefail
cd "$(dirname "$0")/.."
san=OFF; dir=${ZANTOR_BUILD_DIR:-build}
if [ "${ZANTOR_SANITIZE:-0}" = 1 ]; then san=ON; dir=${ZANTOR_BUILD_DIR:-build-asan}; fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DZANTOR_SANITIZE=$san >/dev/null
fi
cmake --build "$dir" -- -k 0 "$@"
echo "$dir"
