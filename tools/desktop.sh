#!/bin/sh
# A desktop in a browser tab: a private X server (Xvfb) with a window manager (openbox), shared by
# x11vnc and shown by noVNC's page through websockify. Every service listens on 127.0.0.1 only (X
# on its local socket alone): reach the page through an editor's port forwarding or an SSH tunnel.
# Runs until interrupted, then stops everything it started.
#
# Usage: desktop.sh [--display :N] [--web-port PORT] [--vnc-port PORT] [--size WIDTHxHEIGHT]
#   --display   the display to make (default: the first free one); programs show on it with DISPLAY
#   --web-port  where the page is served (default 6080), --vnc-port x11vnc's own port (default 5900)
set -eu

display=""
web_port=6080
vnc_port=5900
size=1280x800
novnc=/usr/share/novnc

usage() {
  echo "Usage: $0 [--display :N] [--web-port PORT] [--vnc-port PORT] [--size WIDTHxHEIGHT]" >&2
  exit 2
}

while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --display) display=$2 ;;
    --web-port) web_port=$2 ;;
    --vnc-port) vnc_port=$2 ;;
    --size) size=$2 ;;
    *) usage ;;
  esac
  shift 2
done

missing=""
for need in Xvfb:xvfb xdpyinfo:x11-utils openbox:openbox x11vnc:x11vnc websockify:websockify python3:python3; do
  command -v "${need%%:*}" >/dev/null || missing="$missing ${need#*:}"
done
[ -f "$novnc/vnc.html" ] || missing="$missing novnc"
if [ -n "$missing" ]; then
  echo "The desktop needs these Debian packages:$missing (make desktop installs them)." >&2
  exit 2
fi

scratch=$(mktemp -d)
started=""
stop_all() {
  # shellcheck disable=SC2086
  [ -z "$started" ] || kill $started 2>/dev/null || true
  wait
  rm -rf "$scratch"
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Gives up after ten seconds, naming what did not come up; its log follows.
wait_until() {
  what=$1 log=$2
  shift 2
  tries=0
  until "$@" >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
      echo "$what did not come up within 10 s:" >&2
      tail -n 20 "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

listening() {
  python3 -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()' "$1"
}

# Without -noreset the server resets whenever its last client leaves.
if [ -n "$display" ]; then
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp -noreset >"$scratch/xvfb.log" 2>&1 &
  started="$started $!"
else
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
  started="$started $!"
  wait_until "Xvfb" "$scratch/xvfb.log" grep -q . "$scratch/display"
  display=:$(cat "$scratch/display")
fi
export DISPLAY="$display"
wait_until "Xvfb on $display" "$scratch/xvfb.log" xdpyinfo

openbox >"$scratch/openbox.log" 2>&1 &
started="$started $!"

x11vnc -display "$display" -localhost -noipv6 -rfbport "$vnc_port" -forever -shared -nopw -quiet \
  >"$scratch/x11vnc.log" 2>&1 &
started="$started $!"
wait_until "x11vnc on port $vnc_port" "$scratch/x11vnc.log" listening "$vnc_port"

# noVNC's files, with a front page that connects at once: an editor opens a forwarded port at /.
mkdir "$scratch/web"
ln -s "$novnc"/* "$scratch/web/"
echo '<meta http-equiv="refresh" content="0; url=vnc.html?autoconnect=1&amp;reconnect=1">' >"$scratch/web/index.html"
websockify --web "$scratch/web" "127.0.0.1:$web_port" "127.0.0.1:$vnc_port" >"$scratch/websockify.log" 2>&1 &
started="$started $!"
wait_until "websockify on port $web_port" "$scratch/websockify.log" listening "$web_port"

echo "DISPLAY=$display"
echo "The desktop is at http://127.0.0.1:$web_port/ (in a dev container the editor forwards the port)."
echo "Programs show on it when run with DISPLAY=$display, e.g. DISPLAY=$display make run."
wait
