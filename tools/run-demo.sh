#!/bin/sh
# Runs one demonstration program: in a window when there is a display, otherwise headless through
# easel-replay with the program's own scenario, leaving its picture behind.
# Usage: run-demo.sh BUILD_DIR DEMO
set -eu
build=$1
demo=$2
program=$build/bin/$demo
if [ ! -f "programs/$demo/main.cpp" ] && [ ! -f "programs/$demo/CMakeLists.txt" ] || [ ! -x "$program" ]; then
  echo "There is no demo called '$demo'. The demos are:" $(ls programs | grep -v CMakeLists)
  exit 2
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Running $demo; close its window to end it."
  exec "$program"
fi
scenario=$(pwd)/programs/$demo/demo.replay
echo "No display here, so $demo runs headless with the input of $scenario."
(cd "$build" && bin/easel-replay "$scenario" -- "bin/$demo")
echo "Its screen at the end: $build/$demo.png"
