#!/usr/bin/env bash
# Builds kiroku.exe for 64-bit Windows with MinGW-w64 and packs it in a zip.
#
# Qt 6 for Windows is built once from Debian's qt6-base source into the cache
# folder (${KIROKU_WIN_CACHE:-~/.cache/kiroku-win}); later runs reuse it.
# Beside the zip it makes the installer and the source archive of the commit.
# The last line of output is the path of kiroku.exe.
#   scripts/windows.sh            Qt if needed, then kiroku.exe and the zip
#   scripts/windows.sh --qt-only  only the Qt stage
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
. "$root/scripts/windows_xlsxwriter.sh"

cache=${KIROKU_WIN_CACHE:-$HOME/.cache/kiroku-win}
jobs=${KIROKU_WIN_JOBS:-2}
qt_version=6.4.2
qt_prefix=$cache/qt-$qt_version-mingw-static
toolchain=$root/cmake/mingw-w64-x86_64.cmake

ensure_packages "${WINDOWS_PACKAGES[@]}"

host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
case $host_qt in
  "$qt_version"+*) ;;
  *) echo "qt6-base-dev-tools is $host_qt; the Windows Qt is $qt_version and needs the same host tools" >&2
     exit 1 ;;
esac

build_qt() {
  local tarball
  tarball=$(ls "$cache"/src/qt6-base_"$qt_version"*.orig.tar.xz 2>/dev/null | head -n 1 || true)
  [ -n "$tarball" ] || { fetch_debian_source "$cache" qt6-base; tarball=$(ls "$cache"/src/qt6-base_"$qt_version"*.orig.tar.xz | head -n 1); }
  local src=$cache/src/qtbase
  if [ ! -f "$src/CMakeLists.txt" ]; then
    rm -rf "$src" && mkdir -p "$src"
    tar -xJf "$tarball" -C "$src" --strip-components=1
  fi
  cmake -S "$src" -B "$cache/qt-build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${qt_options[@]}"
  cmake --build "$cache/qt-build" -j "$jobs"
  cmake --install "$cache/qt-build"
  printf '%s\n' "${qt_options[@]}" >"$qt_prefix/.kiroku-complete"
}

# Only what kiroku uses: Core, Gui, Widgets and the windows platform plugin.
# Without direct2d the DirectWrite font database is not built, so directwrite3
# must go too (the platform plugin would still ask for it); text is drawn
# through GDI, as by default.
qt_options=(-DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
  -DFEATURE_testlib=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_accessibility=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
  -DFEATURE_vulkan=OFF -DINPUT_pcre=qt -DINPUT_libpng=qt -DINPUT_harfbuzz=qt -DINPUT_freetype=no
  -DINPUT_libjpeg=no)

if [ "$(cat "$qt_prefix/.kiroku-complete" 2>/dev/null)" = "$(printf '%s\n' "${qt_options[@]}")" ]; then
  echo "Reusing Qt $qt_version for Windows in $qt_prefix"
else
  echo "Building Qt $qt_version for Windows into $qt_prefix (about an hour on 2 cores)"
  build_qt
fi
[ "${1:-}" = --qt-only ] && { echo "$qt_prefix"; exit 0; }

windows_xlsxwriter "$cache" "$jobs"

# kiroku itself, linked statically with that Qt and libxlsxwriter: one exe
# that needs only the system's DLLs.
build=${KIROKU_WIN_BUILD:-$root/build-windows}
"$qt_prefix/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -Wno-dev \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DKIROKU_WIN_PREFIX="$xlsxwriter_prefix" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_EXE_LINKER_FLAGS="-s" -DKIROKU_BENCH=OFF
cmake --build "$build" -j "$jobs" --target kiroku kiroku-recover
exe=$build/app/kiroku.exe
version=$(sed -n 's/^project(kiroku VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
version=${version:-$(git -C "$root" describe --tags --always 2>/dev/null || echo dev)}
# Icon, version and manifest in both programs.
/usr/bin/python3 "$root/scripts/pe_resources.py" "$version" "$exe" "$build/app/kiroku-recover.exe"

stage=$build/package
rm -rf "$stage" && mkdir -p "$stage/notices"
cp "$exe" "$build/app/kiroku-recover.exe" "$stage/"
# Text for Notepad: CR LF, and the read-me in UTF-8 with a byte order mark so
# that it shows right whatever the system's code page.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }
{ printf '\357\273\277'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/packaging/windows/readme.txt"; } \
  >"$stage/readme.txt"
crlf "$root/LICENSE" "$stage/LICENSE.txt"
# What static linking asks to be passed on: Qt's LGPL and the notices of the
# code inside it, libxlsxwriter's with what it bundles and zlib's, the
# MinGW-w64 runtime and winpthreads, and GCC's runtime libraries with their
# exception.
crlf "$cache/src/qtbase/LICENSES/LGPL-3.0-only.txt" "$stage/notices/Qt-LGPL-3.0.txt"
/usr/bin/python3 "$root/packaging/windows/qt_notices.py" "$cache/src/qtbase" "$stage/notices/qt.txt"
crlf "$stage/notices/qt.txt" "$stage/notices/Qt-third-party.txt" && rm "$stage/notices/qt.txt"
windows_xlsxwriter_notices "$stage/notices"
crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/notices/MinGW-w64-runtime-and-winpthreads.txt"
crlf /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$stage/notices/GCC-runtime-library-exception.txt"
files=(kiroku.exe kiroku-recover.exe readme.txt LICENSE.txt notices)
zip=$build/kiroku-$version-win64.zip
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip "${files[@]}")
echo "Packed $zip"

# The source of the same commit, so that anyone can rebuild and relink.
source=$build/kiroku-$version-src.tar.gz
git -C "$root" archive --format=tar.gz --prefix="kiroku-$version/" -o "$source" HEAD
git -C "$root" diff --quiet HEAD || echo "note: uncommitted changes are not in $source" >&2
echo "Source $source"

setup=$build/kiroku-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$build/app/kiroku.ico" \
  -DOUTFILE="$setup" "$root/packaging/windows/installer.nsi"
echo "Installer $setup"
echo "$exe"
