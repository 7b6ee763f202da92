#!/bin/sh
# SPDX-License-Identifier: MIT
# quill-replay stopped by a signal while a chord sounds: the chord's note-offs
# are still the last lines it prints, then it dies of that signal.
# Usage: interrupted-run.sh QUILL_REPLAY
set -u
replay=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/script"

for signal in INT TERM HUP; do
  rm -f "$work/out" "$work/saved.qcf"
  # A background job of a script starts with SIGINT ignored; a terminal's
  # foreground job would not.
  env --default-signal "$replay" <"$work/script" >"$work/out" &
  pid=$!
  # The chord starts; the save shows that every line before it has run. The
  # script stays open, so quill-replay then waits for more.
  exec 3>"$work/script"
  printf 'set MIDI channel = 2\npacket 2 0 960 500 0 0 900 0\npacket 2 1 960 510 400 0 900 0\nsave %s\n' \
    "$work/saved.qcf" >&3
  tries=0
  while [ ! -s "$work/saved.qcf" ] && [ $tries -lt 500 ]; do
    sleep 0.02
    tries=$((tries + 1))
  done
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  exec 3>&-
  expected=$(printf 'C0 6B 00\n92 49 32\n92 4D 32\n92 50 32\nB2 0A 3F\n82 49 00\n82 4D 00\n82 50 00')
  if [ "$(cat "$work/out")" != "$expected" ]; then
    echo "SIG$signal: printed:"
    cat "$work/out"
    exit 1
  fi
  case $signal in INT) number=2 ;; TERM) number=15 ;; HUP) number=1 ;; esac
  if [ "$status" -ne $((128 + number)) ]; then
    echo "SIG$signal: exit status $status, expected death by the signal ($((128 + number)))"
    exit 1
  fi
done
echo "interrupted runs end their chords"
