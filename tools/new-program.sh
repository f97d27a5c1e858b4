#!/bin/sh
# Starts a program of one's own: programs/NAME/main.cpp from the template beside this script (the
# README's first program), and programs/NAME/demo.replay, which `make run DEMO=NAME` plays where
# there is no display. Run from the top of the source tree.
# Usage: new-program.sh NAME
set -eu
export LC_ALL=C
name=${1:-}
template=$(cd "$(dirname "$0")/new-program" && pwd)
refuse() {
  echo "make new: $1" >&2
  exit 2
}
[ -n "$name" ] || refuse "say which name, for example: make new NAME=pong"
case $name in
  *[!A-Za-z0-9_]* | [!A-Za-z]*)
    refuse "'$name' cannot name a program: use letters, digits and _, starting with a letter (pong, my_game)" ;;
  # The build's own names.
  all | clean | help | install | test | package | package_source | depend | edit_cache | rebuild_cache | easel*)
    refuse "'$name' is a name the build uses itself; choose another" ;;
esac
[ ! -e "programs/$name" ] || refuse "programs/$name already exists; choose another name"
mkdir "programs/$name"
cp "$template/main.cpp" "programs/$name/main.cpp"
sed "s/@NAME@/$name/g" "$template/demo.replay" > "programs/$name/demo.replay"
echo "Made programs/$name/main.cpp and its demo.replay; make run DEMO=$name builds and runs it."
