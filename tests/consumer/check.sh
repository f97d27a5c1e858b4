#!/bin/sh
# Builds a project of its own on easel by one route and runs its program: once saving its window,
# once through easel-replay. Routes:
#   installed     cmake --install of BUILD_DIR, then find_package, pkg-config and the installed
#                 easel-replay; the package must not carry the build's sanitizer flags
#   subdirectory  add_subdirectory of SOURCE_DIR       } without GoogleTest and the other test
#   fetchcontent  FetchContent of an archive of it     } packages; the parent's build type stays
#   run           SOURCE_DIR configured as `make run` does, without the test packages
# Usage: check.sh ROUTE SOURCE_DIR BUILD_DIR SANITIZE(0|1)
set -eu
route=$1
source=$(cd "$2" && pwd)
build=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "$route: $1" >&2; exit 1; }
# A consumer of a sanitized package links the sanitizer runtimes itself.
if [ "$4" = 1 ]; then sanitize=-fsanitize=address,undefined; else sanitize=; fi
without_test_packages="-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  -DCMAKE_DISABLE_FIND_PACKAGE_Python3=ON -DCMAKE_DISABLE_FIND_PACKAGE_X11=ON"

# run_program PROGRAM EASEL_REPLAY: the program saves its window as a BMP, and easel-replay snaps it.
run_program() {
  "$1" "$scratch/window.bmp" || fail "the program failed"
  [ -s "$scratch/window.bmp" ] || fail "the program wrote no picture"
  echo "snap replayed.png" > "$scratch/snap.replay"
  (cd "$scratch" && "$2" snap.replay -- "$1") || fail "easel-replay could not run the program"
  [ -s "$scratch/replayed.png" ] || fail "easel-replay wrote no picture"
}

# build_source_consumer CMAKE_ARGS...: configures and builds the project of this route as a parent.
build_source_consumer() {
  # shellcheck disable=SC2086
  cmake -S "$here/$route" -B "$scratch/build" $without_test_packages "$@" >/dev/null
  grep -qx 'CMAKE_BUILD_TYPE:STRING=' "$scratch/build/CMakeCache.txt" || fail "easel set the parent's build type"
  cmake --build "$scratch/build" --parallel 2 >/dev/null
  run_program "$scratch/build/sine_wave" "$(find "$scratch/build" -name easel-replay -type f)"
}

case $route in
installed)
  prefix=$scratch/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
  ! grep -rq --include="*.cmake" --include="*.pc" sanitize "$prefix" || fail "the package carries sanitizer flags"
  cmake -S "$here/installed" -B "$scratch/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
  cmake --build "$scratch/build" >/dev/null
  run_program "$scratch/build/consumer" "$prefix/bin/easel-replay"
  PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name easel.pc)")
  export PKG_CONFIG_PATH
  # shellcheck disable=SC2046
  g++ "$here/main.cpp" $(pkg-config --cflags --libs easel) $sanitize -o "$scratch/by_pkg_config"
  run_program "$scratch/by_pkg_config" "$prefix/bin/easel-replay" ;;
subdirectory)
  build_source_consumer -DEASEL_SOURCE_DIR="$source" ;;
fetchcontent)
  tar -C "$source" --exclude-vcs --exclude='./build*' -czf "$scratch/easel.tar.gz" .
  build_source_consumer -DEASEL_URL="file://$scratch/easel.tar.gz" ;;
run)
  # shellcheck disable=SC2086
  cmake -S "$source" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release $without_test_packages >/dev/null ;;
*)
  fail "no such route" ;;
esac
echo "$route: passed"
