#!/usr/bin/env bash
# Builds the Debian package kiroku_<version>_amd64.deb into the project folder.
# Its dependencies are read from the binary, plus the X11 platform plugin and
# the Japanese font that Qt needs at run time.
set -euo pipefail
# Files and folders of the package as Debian wants them, whatever the caller's umask.
umask 022
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev file

# Debian's hardening flags, as a package built by dpkg-buildpackage gets them.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKIROKU_TESTS=OFF -DKIROKU_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)"
cmake --build build-deb -j "$(nproc)"
(cd build-deb && cpack -G DEB)
cp build-deb/kiroku_*_amd64.deb .
ls kiroku_*_amd64.deb
