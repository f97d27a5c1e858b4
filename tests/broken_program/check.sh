#!/bin/sh
# A program under programs/ that does not compile, in a copy of the source tree: `make run` of
# another program still builds and runs it, and `make web` (where emscripten is installed) builds
# every other page and names the broken program. There, `make web DEMO=` a student's program also
# writes an index that lists it, and the full build's index lists every page built.
# Usage: check.sh SOURCE_DIR
set -eu
source=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $1"
  cat "$scratch/out"
  exit 1
}
# The copy is built headless as a student's would be, whatever the make that runs this check was given.
fresh_make() {
  env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL -u SANITIZE -u BUILD -u DISPLAY -u WAYLAND_DISPLAY make "$@"
}
mkdir "$scratch/easel"
tar -C "$source" --exclude-vcs --exclude='./build*' -cf - . | tar -C "$scratch/easel" -xf -
mkdir "$scratch/easel/programs/zz_broken"
printf '#include "graphics.hpp"\nint main() { return missing_name; }\n' > "$scratch/easel/programs/zz_broken/main.cpp"

fresh_make -C "$scratch/easel" --no-print-directory run DEMO=checkerboard \
  >"$scratch/out" 2>&1 || fail "make run DEMO=checkerboard failed beside a broken program"
grep -q "Its screen:" "$scratch/out" || fail "make run did not run checkerboard"

if command -v emcc >/dev/null; then
  (cd "$scratch/easel" && sh tools/new-program.sh zz_student) >/dev/null
  fresh_make -C "$scratch/easel" --no-print-directory web DEMO=zz_student >"$scratch/out" 2>&1 ||
    fail "make web DEMO=zz_student failed"
  grep -q 'href="zz_student.html".*Draws a red cross' "$scratch/easel/build-web/index.html" ||
    fail "the index of a single page's build does not list it with its description"
  status=0
  fresh_make -C "$scratch/easel" --no-print-directory web >"$scratch/out" 2>&1 || status=$?
  [ "$status" -ne 0 ] || fail "make web reported success with a program that does not compile"
  grep -q "did not compile.*zz_broken" "$scratch/out" || fail "make web did not name the broken program"
  for page in checkerboard sine_wave zz_student index; do
    [ -s "$scratch/easel/build-web/$page.html" ] || fail "make web did not build $page.html"
  done
  grep -q 'href="checkerboard.html"' "$scratch/easel/build-web/index.html" || fail "the index lacks checkerboard"
  ! grep -q 'zz_broken' "$scratch/easel/build-web/index.html" || fail "the index links the page that was not built"
fi
echo "ok"
