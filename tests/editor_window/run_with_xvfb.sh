#!/usr/bin/env bash
# run_with_xvfb.sh WINEPREFIX COMMAND [ARGS...]: runs a Wine command with DISPLAY naming a
# private Xvfb server (Wine needs an X server to make windows). The server picks a free display
# number itself and writes it to a file once it accepts connections. It is stopped only after
# the prefix's Wine server and its desktop process, which hold connections to it, have ended.
set -u
prefix=$1
shift
# The test script gives every Wine process of its run one X server already (the prefix's
# desktop keeps the display it started with): use it.
if [ -n "${LOTTA_SHARED_DISPLAY:-}" ]; then
  exec "$@"
fi
numberFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numberFile" 2>/dev/null &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -f "$numberFile"
}
for _ in $(seq 200); do
  grep -q . "$numberFile" 2>/dev/null && break
  sleep 0.1
done
number=$(head -n 1 "$numberFile")
if [ -z "$number" ]; then
  echo "Xvfb did not start"
  stop
  exit 1
fi
export DISPLAY=":$number"
# In the background, so that a run cut short (a time limit) still stops the program and the
# server at once.
"$@" &
program=$!
trap 'kill "$program" 2>/dev/null; stop; exit 143' TERM INT
wait "$program"
status=$?
trap - TERM INT
WINEPREFIX=$prefix wineserver -w
stop
exit $status
