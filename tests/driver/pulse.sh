#!/bin/sh
# A PulseAudio server of the test's own, and the device changes a test makes on it.
#   pulse.sh session COMMAND...   starts a server with no sound device, runs COMMAND with
#                                 PULSE_SERVER pointing at it, ends the server and its recorders.
#   pulse.sh VERB DONE ARGS...    plug SINK | add SINK | unplug SINK | record SINK WAV | stop SINK;
#                                 writes the exit status into DONE at the end, because a Windows
#                                 program that starts this can neither wait for it nor read it.
# plug makes the new null sink the default, add leaves the default alone. unplug ends the sink's
# streams first, as a vanished device does on Windows: the server itself would move them to
# another sink. Their sound up to that moment is in the sink's recording, which ends there.
PATH=/usr/bin:/bin:$PATH

if [ "$1" = session ]; then
  shift
  runtime=$(mktemp -d /tmp/parlomix-pulse.XXXXXX) || exit 1
  chmod 700 "$runtime"
  export XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$runtime/pulse/native" PARLOMIX_PULSE=1
  export PARLOMIX_PULSE_RUNTIME="$runtime"
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target="file:$runtime/pulse.log" \
    -L module-native-protocol-unix -L module-cli-protocol-unix || { rm -rf "$runtime"; exit 1; }
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  "$@"
  status=$?
  for pid in "$runtime"/*.rec; do [ -f "$pid" ] && kill -INT "$(cat "$pid")" 2>/dev/null; done
  server=$(cat "$runtime/pulse/pid" 2>/dev/null)
  pactl exit >/dev/null 2>&1
  for _ in $(seq 50); do [ -n "$server" ] && kill -0 "$server" 2>/dev/null || break; sleep 0.1; done
  rm -rf "$runtime"
  exit $status
fi

verb=$1 done=$2
shift 2
trap 'echo $? >"$done.tmp"; mv "$done.tmp" "$done"' EXIT
set -e
# A sink's recorder pid lives in the server's folder, so that the session can end what a test left.
recorder() { echo "$PARLOMIX_PULSE_RUNTIME/$1.rec"; }
stop() {
  [ -f "$(recorder "$1")" ] || return 0
  pid=$(cat "$(recorder "$1")")
  rm -f "$(recorder "$1")"
  kill -INT "$pid" 2>/dev/null || return 0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.02; done
  return 1
}
index() { pactl list short "$1" | awk -v n="$2" '$2 == n { print $1 }'; }
case $verb in
  plug|add)
    pactl load-module module-null-sink sink_name="$1" rate=44100 norewinds=1 >/dev/null
    [ "$verb" = add ] || pactl set-default-sink "$1" ;;
  unplug)
    sink=$(index sinks "$1")
    for input in $(pactl list short sink-inputs | awk -v s="$sink" '$2 == s { print $1 }'); do
      XDG_RUNTIME_DIR=$PARLOMIX_PULSE_RUNTIME pacmd kill-sink-input "$input" >/dev/null
    done
    # The sink's last sound reaches its recorder in a few 10 ms fragments; the sink goes soon
    # after, as Wine keeps counting a killed stream as playing until its sink is gone.
    sleep 0.05
    pactl unload-module "$(pactl list short modules | awk -v a="sink_name=$1" '$3 == a { print $1 }')"
    stop "$1" ;;
  record)
    parecord -d "$1.monitor" --latency-msec=10 --rate=44100 --channels=1 --format=s16le --file-format=wav \
      "$2" >/dev/null 2>&1 </dev/null &
    echo $! >"$(recorder "$1")"
    # Sound played before the recorder listens would be lost: wait for its stream.
    source=$(index sources "$1.monitor")
    for _ in $(seq 100); do
      pactl list short source-outputs | awk -v s="$source" '$2 == s' | grep -q . && exit 0
      sleep 0.02
    done
    exit 1 ;;
  stop) stop "$1" ;;
  *) exit 2 ;;
esac
