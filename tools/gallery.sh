#!/bin/sh
# Pictures of every demonstration program for the documentation: each program runs headless with
# its own scenario (programs/<name>/demo.replay, which ends by snapping <name>.png) in docs/gallery.
# Usage: gallery.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
top=$(pwd)
mkdir -p docs/gallery
for scenario in programs/*/demo.replay; do
  name=$(basename "$(dirname "$scenario")")
  (cd docs/gallery && "$build/bin/easel-replay" "$top/$scenario" -- "$build/bin/$name")
  echo "docs/gallery/$name.png"
done
