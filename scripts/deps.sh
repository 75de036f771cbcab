# The Windows build: its suite under Wine, and the program with its own Qt.
# libxlsxwriter is built from Debian's source (dpkg-dev unpacks it) against
# Debian's MinGW zlib, and found through pkg-config.
WINDOWS_TEST_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine64 wine dpkg-dev libz-mingw-w64-dev pkg-config)
# librsvg2-bin and icoutils draw the icon, nsis makes the installer, git the source archive,
# python3-pefile puts the icon and version into the programs.
WINDOWS_PACKAGES=("${WINDOWS_TEST_PACKAGES[@]}" qt6-base-dev-tools xz-utils librsvg2-bin icoutils nsis git
                  python3-pefile)

# Installs the Debian packages that are missing, and nothing when all are there.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  # sudo resets the environment, so the variable goes after it, as an argument.
  as_root DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Runs a command (optionally led by VAR=value words) as root: directly or through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    env "$@"
  else
    sudo "$@"
  fi
}

# Names that exist on Debian 12 and 13 alike; libclang-rt-dev follows the default clang.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev qt6-base-dev
                qt6-qpa-plugins fonts-ipafont-gothic libxlsxwriter-dev)
FUZZ_PACKAGES=(clang libclang-rt-dev)
# Xvfb and xdotool drive the real program, xclip reads its clipboard,
# libfaketime gives it a clock gone back, an exFAT image through FUSE a file
# system without hard links, and openpyxl reads the workbooks back.
TEST_PACKAGES=(desktop-file-utils xvfb xdotool xclip faketime exfatprogs exfat-fuse python3-openpyxl)
