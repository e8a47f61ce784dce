#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Does nothing (and asks apt nothing) when they are all present.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build ccache g++ pkg-config
  # libraries
  qt6-base-dev qt6-svg-dev libqt6svg6 libsqlite3-dev sqlite3
  # pictures: enhanced metafiles and placeable metafiles turned into SVG
  libemf2svg-dev libwmf-dev
  # page pictures saved as GIF files (enhanced metafiles are written through libemf-dev)
  libgif-dev
  # test fixtures: enhanced metafiles written on Linux
  libemf-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  libzxing-dev libzint-dev libqrencode-dev libdmtx-dev
  # fonts the renderer and the tests rely on
  fonts-liberation2 fonts-dejavu-core
  # PDF checks and the printer used by the tests
  poppler-utils cups cups-client cups-bsd printer-driver-cups-pdf
  # the screenshot script: a virtual X server, an X screenshot tool and clicks before it
  xvfb x11-apps imagemagick xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=()
if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
