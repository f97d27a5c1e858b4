# Sourced by the tools: which kind of system this is, in $system: debian where apt installs the
# packages, macos, windows (MSYS2's shells, where there is a desktop), or other.
case "$(uname -s)" in
  Darwin) system=macos ;;
  MINGW* | MSYS* | UCRT* | CLANG* | CYGWIN*) system=windows ;;
  *) if command -v apt-get >/dev/null 2>&1 && command -v dpkg-query >/dev/null 2>&1; then system=debian
     else system=other; fi ;;
esac
