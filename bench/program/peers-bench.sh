#!/usr/bin/env bash
# The whole program beside Audacious, both measured in one run by the shared peer bench (Xvfb, SDL's
# dummy output, warm cache, fresh settings): start-up with a 10,000-file M3U, memory, idle CPU and
# wake-ups with the list loaded, and CPU and wake-ups while playing a 320 kbit/s MP3, a FLAC and an
# Ogg Vorbis file. Each of Melvane's medians is printed beside Audacious' with the ratio and the goal;
# then the program's own thread-by-thread breakdown (threads.sh).
#
#   bench/program/peers-bench.sh [build-folder]
# Environment: PEERS_SCRIPT (default ../shared/bench/peers.sh beside the repository), and the peer
# bench's own knobs (RUNS, PLAY_SECONDS, IDLE_SECONDS, PEERBENCH_DIR). It installs Audacious with
# apt-get, so it runs as root.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
script=${PEERS_SCRIPT:-$PWD/../shared/bench/peers.sh}
[ -f "$script" ] || { echo "no peer bench at $script (set PEERS_SCRIPT)" >&2; exit 1; }
[ -x "$build/app/melvane" ] || { echo "build $build/app/melvane first" >&2; exit 1; }
work=${PEERBENCH_DIR:-/tmp/peerbench}

MELVANE_BIN="$PWD/$build/app/melvane" PEERS="audacious melvane" PEERBENCH_DIR="$work" RESULTS="$work/results.md" \
    bash "$script"

python3 - "$work/raw.tsv" <<'PY'
import statistics, sys
figures = {}
for line in open(sys.argv[1]):
    peer, metric, _, value = line.rstrip('\n').split('\t')
    try:
        figures.setdefault((peer, metric), []).append(float(value))
    except ValueError:
        pass
rows = [  # metric, what, goal as a ratio to Audacious
    ('play_mp3_cpu_pct', 'playing MP3 320k, % of one core', 0.7),
    ('play_flac_cpu_pct', 'playing FLAC, % of one core', 0.7),
    ('play_ogg_cpu_pct', 'playing Ogg Vorbis q5, % of one core', 0.7),
    ('idle_cpu_pct', 'idle, window open, 10,000 entries, %', 1.0),
    ('play_mp3_switches_per_s', 'context switches/s playing MP3', 1.0),
    ('idle_switches_per_s', 'context switches/s idle', 1.0),
    ('startup_settled_s', 'start-up with a 10,000-file M3U until settled, s', 0.75),
    ('rss_settled_mib', 'memory with 10,000 entries, MiB', 0.5),
]
print('%-52s %10s %10s %7s %6s' % ('metric (medians)', 'Audacious', 'Melvane', 'ratio', 'goal'))
for metric, what, goal in rows:
    a, m = figures.get(('audacious', metric)), figures.get(('melvane', metric))
    if not a or not m:
        print('%-52s %10s %10s' % (what, a and '%.3f' % statistics.median(a) or '-', m and '%.3f' % statistics.median(m) or '-'))
        continue
    a, m = statistics.median(a), statistics.median(m)
    ratio = m / a if a else float('inf')
    print('%-52s %10.3f %10.3f %7.2f %6.2f %s' % (what, a, m, ratio, goal, 'met' if ratio <= goal else 'not met'))
PY
echo
bench/program/threads.sh "$build"
