#!/bin/sh
# The tutorial's pictures: every step (docs/tutorial/<step>/main.cpp) runs headless with its
# script <step>/step.replay, which ends by snapping screen.png in the step's directory.
#   tutorial.sh BUILD_DIR snap [STEP...]    remakes the pictures
#   tutorial.sh BUILD_DIR check [STEP...]   replays each script with expect in place of snap, so
#                                           the committed pictures must match pixel for pixel
set -eu
build=$(cd "$1" && pwd)
mode=$2
shift 2
cd "$(dirname "$0")/../docs/tutorial"
[ $# -gt 0 ] || set -- $(ls -d [0-9]*_*)
for step in "$@"; do
  script=$(pwd)/$step/step.replay
  if [ "$mode" = check ]; then
    # The script's commands as easel-replay reads them, each word quoted, snap made expect; blank
    # lines keep every command on its line.
    "$build/bin/easel-replay" --words "$script" > "$build/tutorial_$step.words"
    sed -e 's/^{"line": \([0-9]*\), "words": \[\(.*\)\]}$/\1 \2/' -e 's/^\([0-9]*\) "snap",/\1 "expect",/' \
        -e 's/", "/" "/g' "$build/tutorial_$step.words" |
      awk '{ while (++line < $1) print ""; sub(/^[0-9]+ /, ""); print }' > "$build/tutorial_$step.replay"
    script=$build/tutorial_$step.replay
  fi
  (cd "$step" && "$build/bin/easel-replay" "$script" -- "$build/bin/tutorial_$step")
  [ "$mode" = check ] || echo "docs/tutorial/$step/screen.png"
done
