#!/bin/sh
# The Windows build, checked from Linux: MinGW-w64 compiles the library (its portable sources, the
# desktop's window part and the Windows platform sources), every program (the demos, the examples,
# the tutorial's steps, the tools), the picture module and the font generator, against the SDL 1.2
# headers, warnings as errors. Nothing is linked: Debian has no SDL for Windows, so linking and
# running are left to MSYS2 itself.
# Usage: check.sh SOURCE_DIR GENERATED_DIR (the library's generated glyph table)
set -eu
source=$1
generated=$2
compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null; then
  echo "SKIPPED: the Windows compile check needs $compiler (Debian: g++-mingw-w64-x86-64-posix, which" \
       "make test installs)"
  exit 77
fi

# libpng's own headers, without the rest of the host's include directory.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for header in png.h pngconf.h pnglibconf.h; do
  ln -s "$(readlink -f "/usr/include/$header")" "$scratch/$header"
done

# sdl-config's flags, less the POSIX threads define that MinGW does not take.
flags="-std=c++17 -fsyntax-only -Wall -Wextra -Wpedantic -Werror $(sdl-config --cflags | sed 's/-D_REENTRANT//')"
flags="$flags -I$source/libgraphics -I$generated -I$source/imagefile -I$scratch"

checked=0
failed=""
for file in "$source"/libgraphics/*.cpp "$source"/libgraphics/desktop/window.cpp "$source"/libgraphics/windows/*.cpp \
            "$source"/imagefile/*.cpp "$source"/programs/*/main.cpp \
            "$source"/docs/examples/*/main.cpp "$source"/docs/tutorial/*/main.cpp "$source"/tools/*.cpp \
            "$source"/tools/new-program/main.cpp; do
  [ -f "$file" ] || continue
  checked=$((checked + 1))
  # shellcheck disable=SC2086
  "$compiler" $flags "$file" || failed="$failed ${file#"$source"/}"
done
if [ -n "$failed" ]; then
  echo "FAIL: these do not compile for Windows:$failed"
  exit 1
fi
echo "ok: $checked sources compile for Windows with $compiler"
