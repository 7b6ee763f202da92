#!/bin/sh
# SPDX-License-Identifier: MIT
# Quill whose standard error is a pipe nobody reads any more (a terminal
# closed under a pipeline, a log reader that quit): its writes there fail,
# and it plays on instead of dying of SIGPIPE; SIGTERM then ends it as usual.
# It uses ALSA (with a sequencer or without), never the JACK servers that other
# tests start and stop meanwhile.
# Usage: broken-pipe.sh QUILL
set -u
quill=$1
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
mkfifo "$work/stderr"
# The shell holds the pipe open for reading until Quill holds it for writing.
exec 4<>"$work/stderr"
"$quill" --tablet=mouse --midi=alsa >/dev/null 2>"$work/stderr" 4<&- &
pid=$!
tries=0
while [ "$(readlink "/proc/$pid/fd/2" 2>/dev/null)" != "$work/stderr" ] && [ $tries -lt 500 ]; do
  sleep 0.01
  tries=$((tries + 1))
done
exec 4<&-
# Quill writes to standard error as its window comes up (Qt's notices).
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"
  echo "Quill ended with status $? once its standard error had no reader"
  exit 1
fi
kill -TERM "$pid"
wait "$pid"
status=$?
pid=
if [ $status -ge 128 ]; then
  echo "Quill died of signal $((status - 128)) after SIGTERM"
  exit 1
fi
echo "a broken pipe does not end Quill"
