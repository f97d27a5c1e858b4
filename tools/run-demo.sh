#!/bin/sh
# Builds and runs one program of programs/: in a window when there is a display, otherwise headless
# through easel-replay with the program's own script (programs/<name>/demo.replay), whose pictures
# stay in the build directory. A tutorial step, tutorial_<step>, runs with docs/tutorial/<step>/step.replay.
# Usage: run-demo.sh BUILD_DIR NAME   (after the build directory is configured)
set -eu
build=$1
demo=$2
if ! grep -qxF -- "$demo" "$build/programs.txt" 2>/dev/null; then
  echo "There is no program called '$demo'. The programs are:" $(cat "$build/programs.txt" 2>/dev/null)
  exit 2
fi
# Whatever the library refuses without a word is explained on the terminal (EASEL_EXPLAIN=0: not).
EASEL_EXPLAIN=${EASEL_EXPLAIN-1}
export EASEL_EXPLAIN
case $demo in
  tutorial_*) scenario=$(pwd)/docs/tutorial/${demo#tutorial_}/step.replay ;;
  *) scenario=$(pwd)/programs/$demo/demo.replay ;;
esac
# macOS and Windows always have a desktop to show a window on.
. "$(dirname "$0")/system.sh"
if [ "$system" = macos ] || [ "$system" = windows ] || [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  cmake --build "$build" --target "$demo"
  echo "Running $demo; close its window to end it."
  exec "$build/bin/$demo"
fi
if [ ! -f "$scenario" ]; then
  echo "No display here, and $demo has no script $scenario to run it headless: run it" \
       "where there is a display, or write that script (see docs/replay.md)."
  exit 2
fi
cmake --build "$build" --target "$demo" easel-replay
echo "No display here, so $demo runs headless with the input of programs/$demo/demo.replay."
(cd "$build" && bin/easel-replay "$scenario" -- "bin/$demo")
# The pictures are the files the script snaps, named relative to the build directory.
pictures=$("$build/bin/easel-replay" --words "$scenario" |
  sed -n 's/^{"line": [0-9]*, "words": \["snap", "\(.*\)"\]}$/\1/p')
if [ -z "$pictures" ]; then
  echo "The script snaps no picture: a line 'snap $demo.png' in it would save the screen."
fi
for picture in $pictures; do echo "Its screen: $build/$picture"; done
