#!/usr/bin/env bash
# Set-up and install checks that need no network and no root:
#   packages  ensure_packages with fake apt tools, as root and as a sudo user
#   install   `cmake --install` of a build into a scratch prefix
# Usage: setup_scripts_test.sh packages|install [build dir]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

fake() { # name, body
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$scratch/bin/$1"
  chmod +x "$scratch/bin/$1"
}

# Runs ensure_packages for uid $1 with nothing installed; prints what reached apt-get.
apt_calls() {
  rm -rf "$scratch/bin" "$scratch/log"
  mkdir "$scratch/bin"
  fake id "echo $1"
  fake dpkg-query 'exit 1'
  fake apt-get "echo \"\$* frontend=\${DEBIAN_FRONTEND:-unset}\" >>$scratch/log"
  # Like sudo's env_reset: only PATH and the VAR=value words before the command pass.
  fake sudo "echo sudo >>$scratch/log; vars=(); while [[ \$1 == *=* ]]; do vars+=(\"\$1\"); shift; done
exec env -i PATH=\"\$PATH\" \"\${vars[@]}\" \"\$@\""
  (
    PATH=$scratch/bin:$PATH
    DEBIAN_FRONTEND=from-the-caller
    export DEBIAN_FRONTEND
    . "$source_dir/scripts/deps.sh"
    ensure_packages libfoo-dev bar >/dev/null
  )
  cat "$scratch/log"
}

case ${1:-} in
packages)
  expected_root='update -qq frontend=from-the-caller
install -y -qq --no-install-recommends libfoo-dev bar frontend=noninteractive'
  expected_user='sudo
update -qq frontend=unset
sudo
install -y -qq --no-install-recommends libfoo-dev bar frontend=noninteractive'
  [ "$(apt_calls 0)" = "$expected_root" ] || fail "as root, apt-get got: $(apt_calls 0)"
  [ "$(apt_calls 1000)" = "$expected_user" ] || fail "through sudo, apt-get got: $(apt_calls 1000)"
  ;;
install)
  cmake --install "${2:?build dir}" --prefix "$scratch/usr" >/dev/null
  entry=$scratch/usr/share/applications/kiroku.desktop
  desktop-file-validate "$entry" || fail "the menu entry is not valid"
  program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -x "$scratch/usr/bin/$program" ] || fail "the entry starts '$program', which is not installed in bin/"
  [ -s "$scratch/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "the entry's icon '$icon' is not installed in the hicolor theme"
  # Qt names the window class after the binary; a dock groups by it.
  [ "$(sed -n 's/^StartupWMClass=//p' "$entry")" = "$program" ] || fail "StartupWMClass is not '$program'"

  # Software centres find the metadata by the desktop entry's ID.
  id=$(basename "$entry" .desktop)
  metainfo=$scratch/usr/share/metainfo/$id.metainfo.xml
  [ -s "$metainfo" ] || fail "no metainfo for the desktop ID '$id'"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
  version=$(sed -n 's/^project(kiroku VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
  grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" || fail "the metainfo has no release $version"
  if command -v appstreamcli >/dev/null; then
    # The project has no domain and no home page yet, so its ID is not a
    # reverse domain name and there is no homepage URL; those two are known.
    notes=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1 | grep '^ *[EW]:' |
      grep -v -e 'cid-desktopapp-is-not-rdns' -e 'url-homepage-missing' || true)
    [ -z "$notes" ] || fail "appstreamcli: $notes"
  fi

  # A manual page for every program, gzipped as Debian wants it.
  for bin in "$scratch"/usr/bin/*; do
    page=$scratch/usr/share/man/man1/$(basename "$bin").1.gz
    gzip -t "$page" 2>/dev/null || fail "no gzipped manual page for $(basename "$bin")"
    if command -v man >/dev/null; then
      warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
      [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    fi
  done

  doc=$scratch/usr/share/doc/kiroku
  head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in Debian's machine-readable format"
  grep -q '^License: GPL-3+$' "$doc/copyright" || fail "the copyright file does not name GPL-3+"
  if command -v dpkg-parsechangelog >/dev/null; then
    zcat "$doc/changelog.gz" >"$scratch/changelog" || fail "no changelog.gz"
    [ "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" = "$version" ] ||
      fail "the changelog's newest entry is not $version"
  fi
  ;;
*)
  fail "usage: $0 packages|install [build dir]"
  ;;
esac
