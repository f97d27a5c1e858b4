#!/bin/sh
# bench/grade_bench.sh BUILD_DIR [COPIES]: grades a class of COPIES (default 300) submissions made from
# the worked example, each a little different in its text: 70% correct, 15% one pixel off, 10% crashing,
# 5% hanging, against its three scripts and two more made here, at the default settings, with --jobs 1
# and --jobs 2 (BENCH_JOBS="1 2"). Prints for each its time on the clock and where its CPU time went
# (bench/grade_cpu.py): builds, runs, hangs (runs stopped as too slow) and the rest (job starts, copies,
# GNU parallel, ssh), a measure a busy machine hardly changes, and from it the time on a quiet one.
# As root with openssh-server (unless BENCH_SSH=0) it also grades with a job slot on this machine and one
# on a second one, an sshd of its own on 127.0.0.1: on one host the difference is what ssh costs.
set -eu
build=$(cd "$1" && pwd)
copies=${2:-300}
grade="$build/bin/easel-grade"
# easel-grade runs on the system's Python, as on a grading machine (a Python of one's own may start slower).
python=$(command -v /usr/bin/python3 || command -v python3)
work=$(mktemp -d)
sshd_pid=""
trap '[ -z "$sshd_pid" ] || kill "$sshd_pid"; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
cp -r "$(dirname "$0")/../docs/grading" "$work/example"
tests=$work/example/tests
printf '# Dots in a row, then the square redrawn.\nclick left 20 20\nclick left 40 20\nclick left 60 20\nexpect dots.png\nkey c\nexpect redrawn.png\n' > "$tests/dots.replay"
printf '# A dot, saved, then cleared.\nclick left 150 150\nkey s\nexpect dot_saved.bmp from drawing.bmp\nkey c\nexpect cleared_again.png\n' > "$tests/saves.replay"
"$python" "$grade" reference "$work/example/solution" "$tests" >/dev/null

# 70 correct, 15 one pixel off, 10 crashing, 5 hanging of every 100.
mkdir "$work/class"
n=0
while [ "$n" -lt "$copies" ]; do
  n=$((n + 1))
  case $((n % 20)) in
    0) sample=hanging ;;
    1 | 2) sample=crashing ;;
    3 | 4 | 5) sample=off_by_one ;;
    *) sample=correct ;;
  esac
  student=$work/class/$(printf '%03d' "$n")_$sample
  mkdir "$student"
  { cat "$work/example/submissions/$sample/main.cpp"; echo "// student $n"; } > "$student/main.cpp"
done

grade_class() {  # LABEL JOBS OUT [--with-pid PID] [-- OPTIONS...]
  label=$1 jobs=$2 out=$3
  shift 3
  with=""
  if [ "${1:-}" = --with-pid ]; then with="--with-pid $2"; shift 2; fi
  [ "${1:-}" != -- ] || shift
  # shellcheck disable=SC2086
  "$python" "$(dirname "$0")/grade_cpu.py" "$copies submissions x 5 scripts, $label" "$jobs" "$out" $with -- \
    "$python" "$grade" run "$tests" "$work/class" "$out" --jobs "$jobs" "$@" || true
  echo "  $(tail -n +2 "$out/results.csv" | cut -d, -f3 | sort | uniq -c | tr -s ' ' | tr '\n' ' ')"
}

export GRADE_CPU_TOTALS="$work/totals"
for jobs in ${BENCH_JOBS-1 2}; do
  grade_class "--jobs $jobs" "$jobs" "$work/out$jobs"
  # What ssh is compared with: two job slots here alone.
  [ "$jobs" != 2 ] || tail -n 1 "$GRADE_CPU_TOTALS" > "$work/totals_jobs2"
done

if [ "${BENCH_SSH:-1}" = 1 ] && [ "$(id -u)" = 0 ] && [ -x /usr/sbin/sshd ]; then
  # A second machine: an sshd of its own on 127.0.0.1 at a free port, easel installed under $work/prefix.
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  ssh-keygen -q -t ed25519 -N "" -f "$work/host_key"
  ssh-keygen -q -t ed25519 -N "" -f "$work/id"
  cp "$work/id.pub" "$work/authorized_keys"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  # SHLVL=1: bash, root's login shell, then reads no ~/.bashrc for a command over ssh, as for a local one
  # (one that starts a version manager costs a second a command, which is the machine's, not ssh's, cost).
  printf 'Port %s\nListenAddress 127.0.0.1\nHostKey %s/host_key\nAuthorizedKeysFile %s/authorized_keys\nPidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin prohibit-password\nPasswordAuthentication no\nSetEnv PATH=%s/prefix/bin:/usr/bin:/bin SHLVL=1\n' \
    "$port" "$work" "$work" "$work" > "$work/sshd_config"
  printf 'Host grader\n HostName 127.0.0.1\n Port %s\n User root\n IdentityFile %s/id\n IdentitiesOnly yes\n UserKnownHostsFile %s/known_hosts\n StrictHostKeyChecking accept-new\n BatchMode yes\n' \
    "$port" "$work" "$work" > "$work/ssh_config"
  mkdir -p /run/sshd
  /usr/sbin/sshd -D -f "$work/sshd_config" &
  sshd_pid=$!
  sleep 1
  # One job slot on each "machine": both are this one, so two slots in all, as with --jobs 2 alone.
  PARALLEL_SSH="ssh -F $work/ssh_config" grade_class "a job here and one on a second machine over ssh" 2 \
    "$work/out_ssh" --with-pid "$sshd_pid" -- --sshlogin "1/grader,1/:"
  # What ssh costs: the last run against --jobs 2 here alone, when that ran. The builds and runs are the
  # same work in both, so what ssh adds shows in the rest; their own CPU time scatters by a few percent.
  [ ! -f "$work/totals_jobs2" ] || { cat "$work/totals_jobs2"; tail -n 1 "$work/totals"; } | awk 'NR == 1 { cpu = $1; wall = $3; rest = $4 } NR == 2 && cpu > 0 {
    printf "ssh: %+.1f%% CPU time, %+.1f%% on a quiet machine (estimated), against --jobs 2 here alone;\n", 100 * ($1 - cpu) / cpu, 100 * ($3 - wall) / wall
    printf "  the rest (job starts, copies, ssh) %+.1f s, %+.1f%% of that CPU time\n", $4 - rest, 100 * ($4 - rest) / cpu }'
fi
