#!/bin/sh
# A private PipeWire daemon with no sound card, for running JACK clients on PipeWire's JACK API
# (Debian's pipewire and pipewire-jack): ALSA's null device stands for the sound card, as a sink
# and a source named "system" (ports system:playback_FL, system:playback_FR, system:capture_FL,
# system:capture_FR, physical as a card's are), at one fixed rate and quantum; they keep real
# time. No session manager, no D-Bus; its socket lies in a directory of its own, so that it
# never meets the desktop's PipeWire.
#
#   pipewire_dummy.sh serve DIR RATE [QUANTUM]
#       writes DIR/pipewire.conf and runs the daemon in the foreground (it keeps the shell's
#       process id); its clients set PIPEWIRE_RUNTIME_DIR=DIR
#   pipewire_dummy.sh run RATE [QUANTUM] -- COMMAND...
#       runs COMMAND under pw-jack beside a daemon of its own, and ends the daemon after it;
#       PIPEWIRE_DUMMY_PID in COMMAND's environment is the daemon's process id (to stop it)
#
# QUANTUM (the JACK buffer size) is 1024 frames unless given.
set -eu

serve() {
  dir=$1 rate=$2 quantum=${3:-1024}
  mkdir -p "$dir"
  cat >"$dir/pipewire.conf" <<EOF
context.properties = {
    core.daemon = true
    core.name = pipewire-0
    default.clock.rate = $rate
    default.clock.allowed-rates = [ $rate ]
    default.clock.quantum = $quantum
    default.clock.min-quantum = $quantum
    default.clock.max-quantum = $quantum
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    api.alsa.* = alsa/libspa-alsa
    support.* = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-access }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
]
context.objects = [
    { factory = metadata args = { metadata.name = default } }
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Dummy-Driver priority.driver = 20000 } }
    { factory = adapter
      args = { factory.name = api.alsa.pcm.sink node.name = system node.description = system
               media.class = Audio/Sink api.alsa.path = "null"
               audio.channels = 2 audio.position = [ FL FR ]
               adapter.auto-port-config = { mode = dsp monitor = false control = false position = preserve } } }
    { factory = adapter
      args = { factory.name = api.alsa.pcm.source node.name = system node.description = system
               media.class = Audio/Source api.alsa.path = "null"
               audio.channels = 2 audio.position = [ FL FR ]
               adapter.auto-port-config = { mode = dsp monitor = false control = false position = preserve } } }
]
EOF
  PIPEWIRE_RUNTIME_DIR=$dir exec pipewire -c "$dir/pipewire.conf"
}

case "${1:-}" in
serve)
  [ $# -ge 3 ] || { echo "usage: $0 serve DIR RATE [QUANTUM]" >&2; exit 2; }
  shift
  serve "$@"
  ;;
run)
  shift
  rate=${1:?usage: $0 run RATE [QUANTUM] -- COMMAND...}
  shift
  quantum=1024
  if [ "${1:-}" != "--" ]; then quantum=$1 && shift; fi
  [ "${1:-}" = "--" ] && shift
  dir=$(mktemp -d)
  "$0" serve "$dir" "$rate" "$quantum" >"$dir/pipewire.log" 2>&1 &
  daemon=$!
  trap 'kill $daemon 2>/dev/null; wait $daemon 2>/dev/null; rm -rf "$dir"' EXIT
  tries=0
  until [ -S "$dir/pipewire-0" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 $daemon 2>/dev/null; then
      echo "$0: pipewire did not start:" >&2 && cat "$dir/pipewire.log" >&2
      exit 1
    fi
    sleep 0.05
  done
  status=0
  PIPEWIRE_RUNTIME_DIR=$dir PIPEWIRE_DUMMY_PID=$daemon pw-jack "$@" || status=$?
  exit $status
  ;;
*)
  sed -n '2,16s/^# \{0,1\}//p' "$0" >&2
  exit 2
  ;;
esac
