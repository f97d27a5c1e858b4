#!/bin/sh
# `make new`: bad names are refused and leave nothing behind; a good one gets the README's first
# program and a script that replays it (run here on the template built by the suite).
# Usage: check.sh SOURCE_DIR TEMPLATE_PROGRAM EASEL_REPLAY
set -eu
source=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "new_program: $1" >&2; exit 1; }
cd "$scratch"
mkdir -p programs/taken
for name in "" "my pong" ".." "../pong" "a/b" "1st" "pong!" "test" "easel_graphics" "taken"; do
  if sh "$source/tools/new-program.sh" "$name" 2>/dev/null; then fail "'$name' was accepted"; fi
done
[ "$(ls programs)" = taken ] || fail "a refused name left something behind"
sh "$source/tools/new-program.sh" pong >/dev/null
awk '/^## A program of your own/ { section = 1 } section && /^```cpp/ { code = 1; next }
     code && /^```/ { exit } code' "$source/README.md" > readme_program.cpp
cmp -s programs/pong/main.cpp readme_program.cpp || fail "the program made is not the README's"
"$3" programs/pong/demo.replay -- "$2" || fail "the script made does not replay the program"
[ -s pong.png ] || fail "the script made saves no picture"
echo "new_program: passed"
