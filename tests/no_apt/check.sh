#!/bin/sh
# make run where apt is absent: on a PATH without apt-get and dpkg-query its package step installs
# nothing, passes when the build tools are there, and otherwise names what is missing and how to
# install it here, on macOS and in MSYS2 (uname told to say so).
# Usage: check.sh SOURCE_DIR
set -eu
source=$1
make=$(command -v make)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
for command in sh make cmake c++ pkg-config sdl-config libpng-config dirname uname grep cat; do
  ! command -v "$command" >/dev/null || ln -s "$(command -v "$command")" "$scratch/bin/$command"
done

fail() {
  echo "FAIL: $1"
  cat "$scratch/out"
  exit 1
}

# expect STATUS TARGET TEXT: make TARGET ends with STATUS (2: a step failed), prints TEXT and no package step.
expect() {
  status=0
  PATH=$scratch/bin "$make" -C "$source" --no-print-directory "$2" >"$scratch/out" 2>&1 || status=$?
  [ "$status" -eq "$1" ] || fail "make $2 ended with status $status, not $1"
  [ -z "$3" ] || grep -qF -- "$3" "$scratch/out" || fail "make $2 did not say: $3"
  ! grep -qE "Installing|apt-get|sudo" "$scratch/out" || fail "make $2 tried to install packages"
}

expect 0 deps-run ""
rm -f "$scratch/bin/sdl-config" "$scratch/bin/pkg-config"
expect 2 run "these are missing: pkg-config, SDL 1.2 (sdl12-compat)."
expect 2 run "Debian calls them pkg-config libsdl1.2-compat-dev"
# A stub of its own, not written through the link to the real uname.
pretend() {
  rm -f "$scratch/bin/uname"
  printf '#!/bin/sh\necho %s\n' "$1" >"$scratch/bin/uname"
  chmod +x "$scratch/bin/uname"
}
pretend Darwin
expect 2 run "brew install pkg-config sdl12-compat"
pretend MINGW64_NT-10.0-22631
expect 2 run "pacman -S --needed mingw-w64-ucrt-x86_64-pkgconf mingw-w64-ucrt-x86_64-sdl12-compat"
echo "make run without apt: ok"
