#!/bin/sh
# Streams values that are not drawing commands into a canvas: each must be refused with exactly
# one error, the library's message naming the fix. Commands and canvas functions still compile.
# Usage: check.sh CXX INCLUDE_DIR
set -u
cxx=$1
include=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
status=0

# Compiles `c << STREAMED` into $dir/out; the compiler's status.
compile() {
  printf '#include <iostream>\n#include <string>\n#include "graphics.hpp"\nusing namespace easel;\nvoid draw(canvas& c) { c << %s; }\n' \
    "$1" > "$dir/snippet.cpp"
  "$cxx" -std=c++17 -fsyntax-only -I"$include" "$dir/snippet.cpp" > "$dir/out" 2>&1
}

refused() {
  if compile "$1"; then
    echo "c << $1 compiled"
    status=1
  elif [ "$(grep -c 'error:' "$dir/out")" -ne 1 ] || ! grep -qF "$2" "$dir/out"; then
    echo "c << $1 did not give the one message '$2':"
    cat "$dir/out"
    status=1
  fi
}

text='easel: text is drawn with the text command: gout << text("Hello")'
number='easel: a number is drawn as text: gout << text(std::to_string(n))'
other='easel: only drawing commands'
refused '"Hello"' "$text"
refused 'std::string("Hello")' "$text"
refused "'x'" "$text"
refused '5' "$number"
refused '2.5' "$number"
refused 'canvas()' "$other"
# A number given to text, and std::endl, are caught too; a char stays text.
refused 'text(5)' 'easel: a number is drawn as text: write text(std::to_string(n))'
refused 'text(2.5f)' 'text(std::to_string(n))'
refused 'text(key_left)' 'text(std::to_string(n))'
refused 'std::endl' 'easel: std::endl is for std::cout: gout << refresh shows the picture'
if ! compile 'move_to(1, 1) << dot << refresh << text("a") << text('"'"'x'"'"') << [](canvas& out) { out.draw_dot(); }'; then
  echo "commands no longer compile:"
  cat "$dir/out"
  status=1
fi
exit $status
