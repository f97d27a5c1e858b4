#!/bin/sh
# Where apt cannot install them: checks that what the Debian packages given as arguments bring is
# there. Installs nothing; when something is missing it says what to install with the system's
# own package manager (Homebrew on macOS, pacman in MSYS2's UCRT64 shell on Windows) and fails.
set -eu
. "$(dirname "$0")/system.sh"

# What a Debian package brings, how to see that it is there, and its names in Homebrew and in
# MSYS2 ("-": the system brings it another way).
lookup() {
  case $1 in
    cmake) set -- "CMake" "command -v cmake" cmake "mingw-w64-ucrt-x86_64-cmake mingw-w64-ucrt-x86_64-ninja" ;;
    make) set -- "make" "command -v make" - make ;;
    g++) set -- "a C++17 compiler" "command -v c++ || command -v g++ || command -v clang++" - \
                mingw-w64-ucrt-x86_64-gcc ;;
    pkg-config) set -- "pkg-config" "command -v pkg-config" pkg-config mingw-w64-ucrt-x86_64-pkgconf ;;
    libsdl1.2-compat-dev) set -- "SDL 1.2 (sdl12-compat)" "pkg-config --exists sdl || command -v sdl-config" \
                                sdl12-compat mingw-w64-ucrt-x86_64-sdl12-compat ;;
    libpng-dev) set -- "libpng" "pkg-config --exists libpng || command -v libpng-config" libpng \
                      mingw-w64-ucrt-x86_64-libpng ;;
    *) set -- "" "" "" "" ;;
  esac
  what=$1 probe=$2 brew=$3 pacman=$4
}

missing="" debian_names="" brew_names="" pacman_names="" xcode="" debian_only=""
for package in "$@"; do
  lookup "$package"
  if [ -z "$what" ]; then
    debian_only="$debian_only $package"
    continue
  fi
  sh -c "$probe" >/dev/null 2>&1 && continue
  missing="$missing, $what"
  debian_names="$debian_names $package"
  if [ "$brew" = - ]; then xcode=yes; else brew_names="$brew_names $brew"; fi
  pacman_names="$pacman_names $pacman"
done

if [ -n "$debian_only" ]; then
  echo "This needs Debian's packages$debian_only, and apt is not here: use Debian 12 or the dev container" \
       "(docs/devcontainer.md)."
  exit 1
fi
[ -z "$missing" ] && exit 0
echo "Without apt nothing is installed here, and these are missing: ${missing#, }."
case $system in
  macos)
    [ -z "$brew_names" ] || echo "Install them with: brew install$brew_names"
    [ -z "$xcode" ] || echo "The compiler and make come with Xcode's command line tools: xcode-select --install"
    echo "(docs/macos.md)" ;;
  windows) echo "Install them in MSYS2's UCRT64 shell with: pacman -S --needed$pacman_names (docs/windows.md)" ;;
  *) echo "Install them with your system's package manager (Debian calls them$debian_names)," \
          "or work in the dev container (docs/devcontainer.md)." ;;
esac
exit 1
