#!/bin/sh
# How often the window front end wakes while the metronome ticks, and what it costs: runs
# cadencio --window on a private Xvfb at a stored tempo (60 BPM, four beats) for a while and
# reports, from /proc, the program thread's wake-ups per second (its voluntary context
# switches), those of all threads, and the program's share of one core.
#
#   bench/speed/window_wakeups.sh [BINARY] [SECONDS] [BPM] [sdl | jack[:PERIOD]]
#
# With `jack` the sound goes through a JACK server of its own with the dummy driver at 48000 Hz
# and PERIOD frames a cycle (default 256, a low-latency setting; 1024 is the dummy driver's
# default), started and ended by the script; its CPU share is reported beside the program's.
#
# Needs Xvfb. The sound goes to SDL's dummy driver, which runs the audio thread as a device
# would, though with longer buffers (21.5 wake-ups a second; a sound card's 512-frame buffers
# wake it 86 times); its wake-ups are in the all-threads figure.
set -eu
binary=${1:-build/cadencio}
seconds=${2:-60}
bpm=${3:-60}
audio=${4:-sdl}
settle=6

command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }
work=$(mktemp -d)
xvfb_pid=
program_pid=
jackd_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$jackd_pid" ] && kill -TERM "$jackd_pid" 2>/dev/null && wait "$jackd_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb on the first free display, which it names on a pipe.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$work/display"

printf '[CADENCIO]\r\nBPM=%s\r\nCOMPASSO=Q\r\n[VIDEO]\r\nLARGURALETRA=10\r\nALTURALETRA=20\r\nCANTOTELA=XS\r\n' \
  "$bpm" >"$work/AUDIRA.INI"
audio_option=--sdl
case $audio in
jack*)
  period=${audio#jack}
  period=${period#:}
  export JACK_DEFAULT_SERVER=cadencio-wakeups-$$ JACK_NO_AUDIO_RESERVATION=1
  jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p "${period:-256}" >/dev/null 2>&1 &
  jackd_pid=$!
  sleep 2
  audio_option=--jack
  ;;
esac
DISPLAY=":$display" AUDIRA_WINDIR="$work" SDL_AUDIODRIVER=dummy \
  "$binary" --window "$audio_option" </dev/null >/dev/null 2>&1 &
program_pid=$!
sleep "$settle"  # the greeting is spoken and the beat starts

# Voluntary context switches of one task, and of all the program's tasks.
switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "$1"; }
all_switches() {
  total=0
  for task in /proc/"$program_pid"/task/*; do
    total=$((total + $(switches "$task/status" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
# User and system time of the whole process (or of one task), in clock ticks. The command
# name in field 2 has no blanks here.
ticks() { awk '{ print $14 + $15 }' "${1:-/proc/$program_pid}/stat"; }

main0=$(switches /proc/"$program_pid"/status)
all0=$(all_switches)
cpu0=$(ticks)
jack_cpu0=0
[ -n "$jackd_pid" ] && jack_cpu0=$(ticks /proc/"$jackd_pid")
main_cpu0=$(ticks /proc/"$program_pid"/task/"$program_pid")
start=$(date +%s.%N)
sleep "$seconds"
main1=$(switches /proc/"$program_pid"/status)
all1=$(all_switches)
cpu1=$(ticks)
jack_cpu1=0
[ -n "$jackd_pid" ] && jack_cpu1=$(ticks /proc/"$jackd_pid")
main_cpu1=$(ticks /proc/"$program_pid"/task/"$program_pid")
end=$(date +%s.%N)
hz=$(getconf CLK_TCK)

awk -v m0="$main0" -v m1="$main1" -v a0="$all0" -v a1="$all1" -v c0="$cpu0" -v c1="$cpu1" \
  -v p0="$main_cpu0" -v p1="$main_cpu1" -v j0="$jack_cpu0" -v j1="$jack_cpu1" -v audio="$audio" \
  -v s="$start" -v e="$end" -v hz="$hz" -v bpm="$bpm" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
  t = e - s
  printf "%d BPM for %.1f s through %s (load %s)\n", bpm, t, audio, load
  printf "program thread wake-ups: %.1f/s\n", (m1 - m0) / t
  printf "all threads wake-ups:    %.1f/s\n", (a1 - a0) / t
  printf "CPU share of one core:   %.2f %% (program thread %.2f %%)\n", 100 * (c1 - c0) / hz / t,
    100 * (p1 - p0) / hz / t
  if (audio != "sdl") printf "the JACK server:         %.2f %%\n", 100 * (j1 - j0) / hz / t
}'
