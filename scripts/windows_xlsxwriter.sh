# shellcheck shell=bash
# Sourced (bash) by scripts/windows.sh and scripts/test.sh, after scripts/deps.sh.
#
# libxlsxwriter for the Windows builds, made as the Windows Qt is: from
# Debian's own source package, compiled with MinGW into a static library,
# here against Debian's MinGW zlib (libz-mingw-w64-dev), with two patches of
# ours (packaging/windows/xlsxwriter-*.patch: UTF-8 names, and a CMake call
# that Debian 13's CMake refuses). It is installed with
# its pkg-config file and its notices into a prefix under the cache folder,
# once; later runs reuse it without the network.

windows_xlsxwriter_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# fetch_debian_source CACHE PACKAGE: downloads PACKAGE's Debian source package
# into CACHE/src with a private apt configuration in CACHE/apt, so that the
# system's own sources stay as they are.
fetch_debian_source() {
  local cache=$1 package=$2 apt=$1/apt
  mkdir -p "$apt/sources.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$cache/src"
  rm -f "$apt/sources.d"/*.sources
  # The mirror the system uses, in either form of its sources (a fresh
  # debootstrap root has only sources.list).
  local uri
  uri=$(sed -n -e 's|^URIs: *\(http[^ ]*/debian\)/*$|\1|p' -e 's|^deb  *\(http[^ ]*/debian\)/* .*|\1|p' \
    /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null | sed -n 1p || true)
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "${uri:-http://deb.debian.org/debian}" >"$apt/sources.d/debian-src.sources"
  local opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources.d"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq
  (cd "$cache/src" && apt-get "${opts[@]}" source --download-only "$package")
}

# What the library is built with. Debian's Linux build links the system's
# minizip and OpenSSL's MD5; MinGW has neither, so the bundled minizip is used
# and MD5 (only for telling images apart, which kiroku never inserts) is left
# out. Numbers are printed with sprintf, as in Debian's build.
xlsxwriter_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF
  -DUSE_SYSTEM_MINIZIP=OFF -DUSE_NO_MD5=ON -DUSE_DTOA_LIBRARY=OFF)

# windows_xlsxwriter CACHE JOBS: sets xlsxwriter_prefix to the prefix that
# holds libxlsxwriter for Windows (lib/pkgconfig/xlsxwriter.pc, and the
# notices in share/doc/libxlsxwriter), building it there first if needed.
windows_xlsxwriter() {
  local cache=$1 jobs=$2 root=$windows_xlsxwriter_root
  local patches=("$root"/packaging/windows/xlsxwriter-mingw-utf8-names.patch
                 "$root"/packaging/windows/xlsxwriter-cmake-zlib-version.patch)
  xlsxwriter_prefix=$cache/xlsxwriter-mingw-static
  local stamp
  stamp=$(printf '%s\n' "${xlsxwriter_options[@]}" "$(cat "${patches[@]}" | sha256sum)")
  mkdir -p "$cache"
  (
    # Once, however many builds ask for it at the same time.
    flock 9
    if [ "$(cat "$xlsxwriter_prefix/.kiroku-complete" 2>/dev/null)" = "$stamp" ]; then
      echo "Reusing libxlsxwriter for Windows in $xlsxwriter_prefix"
      exit 0
    fi
    echo "Building libxlsxwriter for Windows into $xlsxwriter_prefix"
    local dsc
    dsc=$(ls "$cache"/src/libxlsxwriter_*.dsc 2>/dev/null | tail -n 1 || true)
    [ -n "$dsc" ] || { fetch_debian_source "$cache" libxlsxwriter; dsc=$(ls "$cache"/src/libxlsxwriter_*.dsc | tail -n 1); }
    local src=$cache/src/libxlsxwriter build=$cache/xlsxwriter-build
    rm -rf "$src" "$build" "$xlsxwriter_prefix"
    # With Debian's own patches, if the package has any; the signature is
    # apt's to check, which it did on download.
    dpkg-source --no-check -x "$dsc" "$src" >/dev/null
    local p
    for p in "${patches[@]}"; do patch -s -d "$src" -p1 <"$p"; done
    cmake -S "$src" -B "$build" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_INSTALL_PREFIX="$xlsxwriter_prefix" "${xlsxwriter_options[@]}" >/dev/null
    cmake --build "$build" -j "$jobs"
    cmake --install "$build" >/dev/null
    local doc=$xlsxwriter_prefix/share/doc/libxlsxwriter
    mkdir -p "$doc"
    cp "$src/License.txt" "$doc/"
    basename "$dsc" .dsc | sed 's/^libxlsxwriter_//' >"$doc/debian-version"
    rm -rf "$src" "$build"
    printf '%s\n' "$stamp" >"$xlsxwriter_prefix/.kiroku-complete"
  ) 9>"$cache/xlsxwriter.lock"
}

# windows_xlsxwriter_notices DIR: writes the notices that a program linked with
# that libxlsxwriter passes on (CR LF, for Notepad): its licence with those of
# the code it bundles, the MPL-2.0 that one of them (tmpfileplus) is under,
# and zlib's.
windows_xlsxwriter_notices() {
  local dir=$1 doc=$xlsxwriter_prefix/share/doc/libxlsxwriter version
  version=$(cat "$doc/debian-version")
  {
    printf '%s\n' "kiroku.exe contains libxlsxwriter $version, built from Debian's source package" \
      "(apt-get source libxlsxwriter=$version) with MinGW-w64, as a static library." \
      "It is changed only by the patches packaging/windows/xlsxwriter-mingw-utf8-names.patch" \
      "and xlsxwriter-cmake-zlib-version.patch beside it in kiroku's source archive." \
      "The source of tmpfileplus, under the Mozilla Public" \
      "License 2.0 (MPL-2.0.txt), is third_party/tmpfileplus in that source package."
    # The licence is the body of a Doxygen page.
    sed -e '1,/^@page license/d' -e '/^Next: @ref/,$d' -e '/^\*\/$/d' "$doc/License.txt"
  } | sed -e 's/\r$//' -e 's/$/\r/' >"$dir/libxlsxwriter.txt"
  sed -e 's/\r$//' -e 's/$/\r/' /usr/share/common-licenses/MPL-2.0 >"$dir/MPL-2.0.txt"
  sed -e 's/\r$//' -e 's/$/\r/' /usr/share/doc/libz-mingw-w64-dev/copyright >"$dir/zlib.txt"
}
