#!/usr/bin/env bash
# with-xvfb.sh COMMAND [ARGS...]: runs a command with DISPLAY naming a private Xvfb server, then
# stops the server: for the editor's window tests (X11 ones natively, Win32 ones under Wine,
# which needs an X server to make windows) and for the test script's Wine runs. The server
# picks a free display number itself and writes it to a descriptor once it accepts
# connections, so no number can collide with another server's.
#
# While the command runs, LOTTA_SHARED_DISPLAY says that DISPLAY is such a private server. A
# nested with-xvfb.sh then only runs its command on the same server: every Wine process of a
# prefix must see one server, because the prefix's desktop keeps the display it started with.
# With WINEPREFIX set, the server is stopped only after that prefix's Wine server, whose
# desktop process holds a connection to it, has ended.
set -u
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
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
number=$(head -n 1 "$numberFile")
if [ -z "$number" ]; then
  echo "Xvfb did not start" >&2
  stop
  exit 1
fi
export DISPLAY=":$number" LOTTA_SHARED_DISPLAY=1
# In the background, so that a run cut short (a time limit) still stops the program and the
# server at once.
"$@" &
program=$!
trap 'kill "$program" 2>/dev/null; stop; exit 143' TERM INT
wait "$program"
status=$?
trap - TERM INT
if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null; then
  wineserver -w
fi
stop
exit $status
