#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix: wine-run.sh PREFIX PROGRAM [ARGS...]
# Wine's helper processes inherit the output of the first wine command and outlive it, so the
# program's output goes through a file: a pipe to the caller would never reach its end.
set -u
source "$(dirname "$0")/../scripts/wine-session.sh"
wine_env "$1"
shift
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: no DISPLAY; run under Xvfb (the test command starts one)" >&2
  exit 2
fi
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
