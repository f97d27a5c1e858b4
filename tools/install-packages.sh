#!/bin/sh
# Installs the Debian packages given as arguments that are not installed yet (through sudo when
# not root) and says which ones it installs. Where apt is not there (macOS, Windows, other
# systems) it installs nothing: check-packages.sh says what is missing and how to get it.
set -eu
. "$(dirname "$0")/system.sh"
[ "$system" = debian ] || exec sh "$(dirname "$0")/check-packages.sh" "$@"
missing=""
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
echo "Installing missing packages:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# shellcheck disable=SC2086
$sudo apt-get install -y --no-install-recommends $missing ||
  { $sudo apt-get update && $sudo apt-get install -y --no-install-recommends $missing; }
