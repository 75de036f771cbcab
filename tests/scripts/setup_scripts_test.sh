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
  ;;
*)
  fail "usage: $0 packages|install [build dir]"
  ;;
esac
