#!/bin/sh
# bench/grade_bench.sh BUILD_DIR [COPIES]: grades COPIES (default 100) submissions, copies of the worked
# example's five samples in turn, against its three scripts, with --jobs 1 and with --jobs 2, and prints
# the wall time of each. --timeout 2 bounds the waits for the hanging and forking samples.
set -eu
build=$(cd "$1" && pwd)
copies=${2:-100}
grade="$build/bin/easel-grade --timeout 2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$(dirname "$0")/../docs/grading" "$work/example"
$grade reference "$work/example/solution" "$work/example/tests" >/dev/null
mkdir "$work/class"
n=0
while [ "$n" -lt "$copies" ]; do
  for sample in "$work"/example/submissions/*; do
    [ "$n" -lt "$copies" ] || break
    n=$((n + 1))
    cp -r "$sample" "$work/class/$(printf '%03d' "$n")_$(basename "$sample")"
  done
done
for jobs in 1 2; do
  start=$(date +%s.%N)
  $grade run "$work/example/tests" "$work/class" "$work/out$jobs" --jobs "$jobs" >/dev/null || true
  end=$(date +%s.%N)
  echo "$copies submissions x 3 scripts, --jobs $jobs: $(awk "BEGIN { printf \"%.1f\", $end - $start }") s"
  tail -n +2 "$work/out$jobs/results.csv" | cut -d, -f3 | sort | uniq -c | tr '\n' ' '; echo
done
