#!/bin/sh
# Builds a configured build directory so that one program that does not compile stops no other:
# everything that can be built is built, and the programs that failed are named at the end.
# Usage: build-keep-going.sh BUILD_DIR JOBS [cmake --build arguments...]
set -u
build=$1
jobs=$2
shift 2
case $(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt") in
  Ninja*) keep_going="-k 0" ;;
  *Makefiles) keep_going="-k" ;;
  *) keep_going="" ;;
esac
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# The build's own output stays as it is; only its status is kept beside the log.
{ cmake --build "$build" -j "$jobs" "$@" -- $keep_going 2>&1; echo $? > "$log.status"; } | tee "$log"
status=$(cat "$log.status")
rm -f "$log.status"
[ "$status" -eq 0 ] && exit 0
failed=$(sed -n 's|.*\*\*\* \[[^]]*CMakeFiles/\([A-Za-z0-9_.-]*\)\.dir/.*|\1|p; s|^FAILED: .*CMakeFiles/\([A-Za-z0-9_.-]*\)\.dir/.*|\1|p' "$log" | sort -u)
if [ -n "$failed" ]; then
  echo
  echo "These did not compile (their errors are above):" $failed
  echo "Everything else was built."
fi
exit "$status"
