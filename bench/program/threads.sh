#!/usr/bin/env bash
# Where the program's CPU and wake-ups go, thread by thread: the real program under Xvfb with SDL's
# dummy output and fresh settings, idle with the window open and then playing a 320 kbit/s MP3, a
# FLAC and an Ogg Vorbis file. For each thread: its share of one core and its context switches a
# second over the window, then the whole process.
#
#   bench/program/threads.sh [build-folder] [seconds-per-window]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
seconds=${2:-20}
case $build in /*) melvane="$build/app/melvane" ;; *) melvane="$PWD/$build/app/melvane" ;; esac
[ -x "$melvane" ] || { echo "build $melvane first" >&2; exit 1; }
hz=$(getconf CLK_TCK)
work=$(mktemp -d)
cleanup() { [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/tone.wav" synth 90 sine 440 sine 660 vol 0.5 2>/dev/null
lame --quiet -b 320 "$work/tone.wav" "$work/tone.mp3"
flac --silent -f -o "$work/tone.flac" "$work/tone.wav"
oggenc -Q -q 5 -o "$work/tone.ogg" "$work/tone.wav"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

# One line per thread: "tid name ticks switches".
snapshot() {
    local pid=$1 t
    for t in /proc/"$pid"/task/*; do
        local stat name ticks cs
        stat=$(cat "$t/stat" 2>/dev/null) || continue
        name=$(cat "$t/comm" 2>/dev/null | tr ' ' '_')
        ticks=$(echo "${stat##*) }" | awk '{ print $12 + $13 }')
        cs=$(awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s }' "$t/status" 2>/dev/null)
        echo "${t##*/} $name $ticks $cs"
    done
}

measure() { # name [file [settings-file-lines]]
    local name=$1 file=${2:-} settings=${3:-}
    local home="$work/home$RANDOM"
    mkdir -p "$home/config/melvane" "$home/data" "$home/runtime"
    [ -z "$settings" ] || printf '#Melvane settings\n%s\n' "$settings" >"$home/config/melvane/melvane.ini"
    chmod 700 "$home/runtime"
    env DISPLAY="$display" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
        SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb dbus-run-session -- "$melvane" ${file:+"$file"} >/dev/null 2>&1 &
    local runner=$! pid=""
    for _ in $(seq 100); do
        pid=$(pgrep -n -f "^$melvane" || true)
        [ -n "$pid" ] && break
        sleep 0.05
    done
    [ -n "$pid" ] || { echo "melvane did not start" >&2; exit 1; }
    sleep 3
    local before after w0 w1
    before=$(snapshot "$pid"); w0=$(date +%s.%N)
    sleep "$seconds"
    after=$(snapshot "$pid"); w1=$(date +%s.%N)
    kill "$pid" 2>/dev/null || true
    wait "$runner" 2>/dev/null || true
    echo "== $name"
    awk -v hz="$hz" -v w="$(echo "$w1 - $w0" | bc)" '
        NR == FNR { t[$1] = $3; c[$1] = $4; next }
        { dt = $3 - ($1 in t ? t[$1] : 0); dc = $4 - ($1 in c ? c[$1] : 0); T += dt; C += dc
          if (dt > 0 || dc > 0) printf "  %-16s %6.2f %%  %7.1f cs/s\n", $2, dt / hz / w * 100, dc / w }
        END { printf "  %-16s %6.2f %%  %7.1f cs/s\n", "whole process", T / hz / w * 100, C / w }' \
        <(echo "$before") <(echo "$after")
}

measure "idle with the window open"
measure "playing MP3 320 kbit/s" "$work/tone.mp3"
measure "playing FLAC" "$work/tone.flac"
measure "playing Ogg Vorbis q5" "$work/tone.ogg"
measure "playing MP3, level meter off" "$work/tone.mp3" "SHOWVU=0"
