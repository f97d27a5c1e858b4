#!/bin/sh
# bench/grade_bench.sh BUILD_DIR [COPIES]: grades a class of COPIES (default 300) submissions made from
# the worked example, each a little different in its text: 70% correct, 15% one pixel off, 10% crashing,
# 5% hanging, against its three scripts and two more made here, at the default settings, with --jobs 1
# and --jobs 2. Prints for each the total and its parts, in seconds of a job slot summed over the class:
# build, runs, hangs (runs stopped as too slow) and the rest (job start, copies, idle slots).
# As root with openssh-server (unless BENCH_SSH=0) it also grades with --jobs 2 on this machine plus a
# second one, an sshd of its own on 127.0.0.1: on one host the difference is what ssh costs.
set -eu
build=$(cd "$1" && pwd)
copies=${2:-300}
grade="$build/bin/easel-grade"
work=$(mktemp -d)
sshd_pid=""
trap '[ -z "$sshd_pid" ] || kill "$sshd_pid"; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
cp -r "$(dirname "$0")/../docs/grading" "$work/example"
tests=$work/example/tests
printf '# Dots in a row, then the square redrawn.\nclick left 20 20\nclick left 40 20\nclick left 60 20\nexpect dots.png\nkey c\nexpect redrawn.png\n' > "$tests/dots.replay"
printf '# A dot, saved, then cleared.\nclick left 150 150\nkey s\nexpect dot_saved.bmp from drawing.bmp\nkey c\nexpect cleared_again.png\n' > "$tests/saves.replay"
"$grade" reference "$work/example/solution" "$tests" >/dev/null

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

# The parts, from each job's record: build and run seconds, runs stopped as too slow apart.
parts() {
  python3 - "$1" "$2" "$3" <<'EOF'
import glob, json, sys
out, jobs, total = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
build = runs = hangs = 0.0
for path in glob.glob(out + "/results/*/result.json"):
    record = json.load(open(path))
    build += float(record["build"]["seconds"] or 0)
    for run in record["scripts"]:
        if run["status"] == "too-slow":
            hangs += run["seconds"]
        else:
            runs += run["seconds"]
print("  total %.1f s; parts (s of a job slot): build %.1f, runs %.1f, hangs %.1f, the rest %.1f"
      % (total, build, runs, hangs, jobs * total - build - runs - hangs))
EOF
}

grade_class() {  # LABEL JOBS OUT [OPTIONS...]
  label=$1 jobs=$2 out=$3
  shift 3
  start=$(date +%s.%N)
  "$grade" run "$tests" "$work/class" "$out" --jobs "$jobs" "$@" >/dev/null || true
  end=$(date +%s.%N)
  echo "$copies submissions x 5 scripts, $label:"
  parts "$out" "$jobs" "$(awk "BEGIN { print $end - $start }")"
  echo "  $(tail -n +2 "$out/results.csv" | cut -d, -f3 | sort | uniq -c | tr -s ' ' | tr '\n' ' ')"
}

for jobs in 1 2; do
  grade_class "--jobs $jobs" "$jobs" "$work/out$jobs"
done

if [ "${BENCH_SSH:-1}" = 1 ] && [ "$(id -u)" = 0 ] && [ -x /usr/sbin/sshd ]; then
  # A second machine: an sshd of its own on 127.0.0.1 at a free port, easel installed under $work/prefix.
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  ssh-keygen -q -t ed25519 -N "" -f "$work/host_key"
  ssh-keygen -q -t ed25519 -N "" -f "$work/id"
  cp "$work/id.pub" "$work/authorized_keys"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  printf 'Port %s\nListenAddress 127.0.0.1\nHostKey %s/host_key\nAuthorizedKeysFile %s/authorized_keys\nPidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin prohibit-password\nPasswordAuthentication no\nSetEnv PATH=%s/prefix/bin:/usr/bin:/bin\n' \
    "$port" "$work" "$work" "$work" > "$work/sshd_config"
  printf 'Host grader\n HostName 127.0.0.1\n Port %s\n User root\n IdentityFile %s/id\n IdentitiesOnly yes\n UserKnownHostsFile %s/known_hosts\n StrictHostKeyChecking accept-new\n BatchMode yes\n' \
    "$port" "$work" "$work" > "$work/ssh_config"
  mkdir -p /run/sshd
  /usr/sbin/sshd -D -f "$work/sshd_config" &
  sshd_pid=$!
  sleep 1
  PARALLEL_SSH="ssh -F $work/ssh_config" grade_class "--jobs 2 here and on a second machine over ssh" 2 \
    "$work/out_ssh" --sshlogin "2/grader,2/:"
fi
