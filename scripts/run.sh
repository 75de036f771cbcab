#!/usr/bin/env bash
# Installs what is missing, builds, and starts kiroku in the current folder
# (where it reads and writes morvane.txt and the exports).
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)" --target kiroku
cd "$here"
exec "$root/build/app/kiroku" "$@"
