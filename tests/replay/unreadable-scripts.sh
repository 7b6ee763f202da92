#!/bin/sh
# SPDX-License-Identifier: MIT
# Scripts that cannot be read to their end: one without line ends, a folder,
# a file whose reading fails. Each stops the run at once with status 2 and a
# message naming the line, after the performance has ended as usual.
# Usage: unreadable-scripts.sh QUILL_REPLAY
set -u
replay=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# check WHAT EXPECTED_STDERR COMMAND...
check() {
  what=$1 expected=$2
  shift 2
  timeout 20 "$@" >"$work/out" 2>"$work/err"
  status=$?
  if [ "$status" -ne 2 ] || [ "$(cat "$work/out")" != "C0 6B 00" ] || [ "$(cat "$work/err")" != "$expected" ]; then
    echo "$what: status $status, printed:"
    cat "$work/out" "$work/err"
    failed=1
  fi
}

check "/dev/zero" "quill-replay: line 1: longer than 65536 bytes" "$replay" /dev/zero
check "a folder" "quill-replay: line 1: cannot read the script: Is a directory" "$replay" "$work"
check "/proc/self/mem" "quill-replay: line 1: cannot read the script: Input/output error" "$replay" /proc/self/mem
head -c 100000 /dev/zero >"$work/zeros"
check "a long line on standard input" "quill-replay: line 1: longer than 65536 bytes" "$replay" - <"$work/zeros"
[ $failed -eq 0 ] && echo "unreadable scripts end with status 2"
exit $failed
