#!/usr/bin/env bash
# Measures what users pay for the whole program, under Xvfb with SDL's dummy audio output and a warm
# cache: time from launch to a painted window listing 10,000 entries and the memory it holds then,
# idle CPU with the window open, and CPU while playing a 320 kbit/s MP3, a FLAC and an Ogg Vorbis file.
# Each figure is printed beside a reference measured for another lean Linux player on this kind of
# machine, with the ratio.
#
#   bench/program/program-bench.sh [build-folder] [seconds-per-cpu-sample]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
seconds=${2:-20}
melvane="$PWD/$build/app/melvane"
[ -x "$melvane" ] || { echo "build $melvane first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

sandbox() { # fresh configuration, data and runtime folders for one run
    local dir="$work/$1"
    mkdir -p "$dir/config" "$dir/data/melvane" "$dir/runtime"
    chmod 700 "$dir/runtime"
    echo "XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/runtime"
}

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# The program's own process under xvfb-run: find it by name among our children.
program_pid() {
    local parent=$1 pid=""
    for _ in $(seq 100); do
        pid=$(pgrep -n -f "^$melvane" || true)
        [ -n "$pid" ] && { echo "$pid"; return; }
        sleep 0.05
    done
    echo "melvane did not start" >&2; exit 1
}

cpu_share() { # prints the process's CPU share of one core over $seconds, after a settling second
    local pid=$1
    sleep 2
    local t0 w0 t1 w1
    t0=$(ticks "$pid"); w0=$(date +%s.%N)
    sleep "$seconds"
    t1=$(ticks "$pid"); w1=$(date +%s.%N)
    awk -v dt=$((t1 - t0)) -v hz="$hz" -v w="$(echo "$w1 - $w0" | bc)" 'BEGIN { printf "%.3f", dt / hz / w * 100 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# --- start-up with 10,000 entries -------------------------------------------------------------
env_startup=$(sandbox startup)
vpl="$work/startup/data/melvane/default.vpl"
{
    printf '#Melvane playlist\r\n'
    for i in $(seq 1 10000); do
        printf '/music/artist %d/track %05d.mp3\001NAME=Track %d\001ATST=Artist %d\001ALBM=Album %d\001TYPE=7\001RATE=320\001FREQ=44100\001CHNL=2\001SIZE=%d\001TIME=%d\r\n' \
            $((i % 97)) "$i" "$i" $((i % 97)) $((i % 31)) $((4000000 + i)) $((120 + i % 300))
    done
} > "$vpl"

best_ms=""; best_kib=""
for run in 1 2 3 4 5; do
    start=$(date +%s%N)
    line=$(env $env_startup MELVANE_STARTUP_PROBE=1 xvfb-run -a -s "-screen 0 1280x800x24" "$melvane" 2>/dev/null | grep -m1 '^shown' || true)
    end=$(date +%s%N)
    [ -n "$line" ] || { echo "start-up probe printed nothing" >&2; exit 1; }
    ms=$(( (end - start) / 1000000 ))
    kib=${line#shown }
    if [ -z "$best_ms" ] || [ "$ms" -lt "$best_ms" ]; then best_ms=$ms; best_kib=$kib; fi
done
# xvfb-run itself starts an X server; measure that cost alone and subtract it.
xstart=$(date +%s%N); xvfb-run -a -s "-screen 0 1280x800x24" true; xend=$(date +%s%N)
xms=$(( (xend - xstart) / 1000000 ))
startup_ms=$(( best_ms - xms )); [ "$startup_ms" -gt 0 ] || startup_ms=$best_ms
mib=$(awk -v k="$best_kib" 'BEGIN { printf "%.1f", k / 1024 }')
echo "start-up to a painted window listing 10,000 entries: ${startup_ms} ms (best of 5; X server start ${xms} ms subtracted)   reference 460 ms   ratio $(ratio "$startup_ms" 460)   goal 0.50"
echo "resident memory with 10,000 entries: ${mib} MiB   reference 100 MiB   ratio $(ratio "$mib" 100)   goal 0.70"

# --- idle and playback CPU --------------------------------------------------------------------
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/tone.wav" synth 120 sine 440 sine 660 vol 0.5 2>/dev/null
lame --quiet -b 320 "$work/tone.wav" "$work/tone.mp3"
flac --silent -f -o "$work/tone.flac" "$work/tone.wav"
oggenc -Q -q 5 -o "$work/tone.ogg" "$work/tone.wav"

measure() { # name reference-percent [file]
    local name=$1 reference=$2 file=${3:-}
    local env_run; env_run=$(sandbox "run$RANDOM")
    env $env_run xvfb-run -a -s "-screen 0 1280x800x24" "$melvane" ${file:+"$file"} >/dev/null 2>&1 &
    local runner=$!
    local pid; pid=$(program_pid "$runner")
    local share; share=$(cpu_share "$pid")
    kill "$pid" 2>/dev/null || true
    wait "$runner" 2>/dev/null || true
    echo "$name: ${share} % of one core   reference ${reference} %   ratio $(ratio "$share" "$reference")"
}
measure "idle with the window open" 0.17
measure "playing MP3 320 kbit/s" 0.83 "$work/tone.mp3"
measure "playing FLAC" 0.70 "$work/tone.flac"
measure "playing Ogg Vorbis q5" 0.83 "$work/tone.ogg"
echo "goals: idle at most 1.00 x the reference, playback at most 0.70 x"
