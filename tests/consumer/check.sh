#!/bin/sh
# Installs the library from BUILD_DIR into a scratch prefix, builds a separate project against the
# installed package, and runs its program headless.
# Usage: check.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cmake -S "$here" -B "$scratch/build" -DCMAKE_PREFIX_PATH="$scratch/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$scratch/build" >/dev/null
SDL_VIDEODRIVER=dummy "$scratch/build/first_program" "$scratch/window.bmp"
echo "built and ran a program against the installed package"
