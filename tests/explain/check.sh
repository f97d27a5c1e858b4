#!/bin/sh
# Explanations: each kind appears with EASEL_EXPLAIN=1 (the first three of a kind, then one line
# saying more are not shown), nothing without it, and the saved picture is the same either way.
# What a drawing command did wrong is told at the latest when its canvas goes or the program ends.
# A display that does not answer makes open fail; a refused size and a wait with no window and no
# timer are explained. Usage: check.sh PROBE
set -u
probe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
  echo "FAIL: $1"
  cat "$dir/err"
  exit 1
}
SDL_VIDEODRIVER=dummy EASEL_EXPLAIN=1 "$probe" "$dir/on.png" 2>"$dir/err" || fail "the probe failed with explanations on"
for line in 'easel: dot before open: nothing is drawn until gout.open(width, height) has returned true' \
            'easel: text("Score") at (10, 10) is not drawn: the pen is the baseline and letters need 13 rows above it; move_to(10, 13) or lower draws it' \
            'easel: move_to(500, 502) refused: (500, 502) lies outside, and the window is 200 x 200' \
            'easel: more refused moves are not shown' \
            'easel: box(50, 50) from (180, 10) is not drawn: its far corner (230, 60) lies outside' \
            'easel: color(300, 0, 0): each value counts from 0 to 255 and wraps around beyond, so this is color(44, 0, 0)' \
            'easel: color(0, -1, 0): each value counts from 0 to 255 and wraps around beyond, so this is color(0, 255, 0)' \
            'easel: a stamp of a transparent 10 x 10 canvas shows nothing' \
            'easel: save("/nonexistent/dir/x.png") failed: No such file or directory'; do
  grep -qF -- "$line" "$dir/err" || fail "missing: $line"
done
[ "$(grep -c 'move_to(500' "$dir/err")" -eq 3 ] || fail "not exactly three refused moves shown"
[ "$(grep -n 'box(50, 50)' "$dir/err" | cut -d: -f1)" -lt "$(grep -n 'color(300, 0, 0)' "$dir/err" | cut -d: -f1)" ] ||
  fail "kept explanations told out of order"
tail -n 2 "$dir/err" | head -n 1 | grep -qF 'easel: color(256, 1, 1)' || fail "a canvas that goes did not tell its last mistake"
tail -n 1 "$dir/err" | grep -qF 'easel: box_to(500, 5) from (25, 45) is not drawn' || fail "the program ended before telling its last mistake"
SDL_VIDEODRIVER=dummy "$probe" "$dir/off.png" 2>"$dir/err" || fail "the probe failed with explanations off"
[ ! -s "$dir/err" ] || fail "explanations printed while off"
cmp -s "$dir/on.png" "$dir/off.png" || fail "the picture differs with explanations on"
[ "$(head -c 8 "$dir/off.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "save(\"x.png\") wrote no PNG"
status=0
env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:97 EASEL_EXPLAIN=1 "$probe" "$dir/x.png" 2>"$dir/err" || status=$?
[ "$status" -eq 1 ] || fail "open succeeded with DISPLAY naming a display that does not answer"
grep -qF 'no display answers at DISPLAY=:97' "$dir/err" || fail "the failed open was not explained"
SDL_VIDEODRIVER=dummy EASEL_EXPLAIN=1 "$probe" --frames 2>"$dir/err" || fail "the probe failed with --frames"
[ "$(grep -c 'refused:' "$dir/err")" -eq 3 ] && [ "$(grep -c 'more refused moves' "$dir/err")" -eq 1 ] ||
  fail "refusals told frame by frame did not stop at three and one line saying more are not shown"
timeout 5 env SDL_VIDEODRIVER=dummy EASEL_EXPLAIN=1 "$probe" --wait 2>"$dir/err"
grep -qF 'easel: open(0, 5) failed: width and height must be at least 1' "$dir/err" || fail "the refused size was not explained"
grep -qF 'easel: gin >> ev waits for ever: no window is open' "$dir/err" || fail "the wait for nothing was not explained"
echo ok
