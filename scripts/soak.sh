#!/usr/bin/env bash
# Usage: scripts/soak.sh MINUTES [DRIVER OPTIONS]   (e.g. --node-ms 300 for a quick look)
# Drives the real program under Xvfb for MINUTES: every lesson of both trees,
# mode switches, full screen, pause/seek/resume, reading aloud, pass after
# pass. Fails on a crash, a hang (10 s without an event handled), memory
# more than 10% above what it was after the first pass, or a file written
# anywhere but the one save it asks for. Not part of CI: it takes minutes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:?usage: soak.sh MINUTES}"
build="${SOAK_BUILD_DIR:-$root/build-soak}"
jobs="${SOAK_JOBS:-1}"

bash "$root/scripts/install-deps.sh"
# Optimised, without sanitizers: the memory measured is the program's own.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_BUILD_TESTS=OFF >/dev/null
nice cmake --build "$build" -j "$jobs" --target quorvane-soak course

logs="$build/soak-logs/$(date -u +%Y%m%dT%H%M%SZ)"
mkdir -p "$logs"
work="$(mktemp -d "${TMPDIR:-/tmp}/quorvane-soak.XXXXXX")"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A home of its own, watched like the course: settings and caches the
# program might write land here.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME/saves" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

if [[ -z "${DISPLAY:-}" ]]; then
  display=99
  while [[ -e "/tmp/.X11-unix/X$display" || -e "/tmp/.X$display-lock" ]]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$logs/xvfb.txt" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [[ -e "/tmp/.X11-unix/X$display" ]] && break
    sleep 0.1
  done
  export DISPLAY=":$display"
fi
export QT_QPA_PLATFORM=xcb

# A sound server of the soak's own with a null sink, its files outside the
# watched home, so the movies' sound and the voice really play.
if command -v pulseaudio >/dev/null; then
  pulse_home="$work/pulse-home" pulse_runtime="$work/pulse-runtime"
  mkdir -p "$pulse_home" && mkdir -m 700 "$pulse_runtime"
  HOME="$pulse_home" XDG_RUNTIME_DIR="$pulse_runtime" XDG_CONFIG_HOME="$pulse_home/.config" \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-native-protocol-unix auth-anonymous=1" \
    --load="module-null-sink sink_name=soak" --log-target=file:"$logs/pulse.txt" &
  pids+=($!)
  export PULSE_SERVER="unix:$pulse_runtime/pulse/native" PULSE_COOKIE="$pulse_home/cookie"
  for _ in $(seq 100); do
    [[ -S "$pulse_runtime/pulse/native" ]] && break
    sleep 0.1
  done
fi

export QUORVANE_WINDIR="$build/course"
echo "soak: $minutes minutes; logs in $logs"
status=0
nice -n 10 "$build/tools/quorvane-soak/quorvane-soak" --minutes "$minutes" \
  --log "$logs/soak.log" --rss "$logs/rss.csv" --save-dir "$HOME/saves" \
  --watch "$QUORVANE_WINDIR" --watch "$HOME" "${@:2}" >"$logs/stdout.txt" 2>"$logs/stderr.txt" || status=$?

echo
echo "RSS once a minute (MiB):"
awk -F, 'NR > 1 { printf "  minute %3d  %8.1f  (passes %d, nodes %d)\n", $1, $3 / 1024, $4, $5 }' \
  "$logs/rss.csv" 2>/dev/null || true
grep -h -E 'pass [0-9]+ done|FAIL|verdict' "$logs/soak.log" 2>/dev/null || true

if ((status >= 128)); then
  if grep -q 'soak: HANG' "$logs/stderr.txt"; then
    echo "soak: HANG (stacks in $logs/stderr.txt)"
  else
    echo "soak: CRASH: signal $((status - 128)) (see $logs/stderr.txt)"
  fi
elif ((status != 0)); then
  echo "soak: FAILED (see $logs/soak.log)"
else
  echo "soak: passed"
fi
exit "$status"
