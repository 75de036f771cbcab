#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: a normal build, a
# bounded fuzzing run of the backup file reader, and the suite again built
# with AddressSanitizer and UndefinedBehaviorSanitizer; then the suite below
# the screens cross-built for Windows and run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

jobs=$(nproc)
status=0

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" || status=1

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKIROKU_WITH_UI=OFF -DKIROKU_BENCH=OFF -DKIROKU_FUZZ=ON
cmake --build build-fuzz -j "$jobs" --target fuzz_backup_reader
ctest --test-dir build-fuzz --output-on-failure -R '^fuzz_' || status=1

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIROKU_SANITIZE=ON -DKIROKU_BENCH=OFF
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1

ensure_packages "${WINDOWS_TEST_PACKAGES[@]}"
# libxlsxwriter for Windows, built once into the same cache as scripts/windows.sh uses.
. scripts/windows_xlsxwriter.sh
windows_xlsxwriter "${KIROKU_WIN_CACHE:-$HOME/.cache/kiroku-win}" "$jobs"
cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DKIROKU_WIN_PREFIX="$xlsxwriter_prefix" \
  -DKIROKU_WITH_UI=OFF -DKIROKU_BENCH=OFF
cmake --build build-win -j "$jobs"
# Wine names files through the locale: without a UTF-8 one (a fresh minimal
# system has none set) the Japanese file names are not found.
LC_ALL=C.UTF-8 ctest --test-dir build-win --output-on-failure -j "$jobs" || status=1

exit $status
