#!/usr/bin/env bash
# Installs everything Kestro's build and tests need on Debian 12. Runs apt-get
# as root (through sudo when not root); installs nothing that is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  dmidecode hyperfine valgrind util-linux groff-base time strace
  qt6-base-dev libxcb1-dev fonts-dejavu-core
  xvfb openbox x11-utils xdotool imagemagick
  dpkg-dev fakeroot file lintian man-db
  python3-jsonschema ansible-core facter
)

exec "$(dirname "$0")/install-missing.sh" "${packages[@]}"
