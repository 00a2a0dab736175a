#!/bin/sh
# Runs a command (a Windows program under Wine) with an X display: the one
# there is, or a virtual one for this run. Before the virtual display goes,
# wait for the prefix's Wine processes to end, so none outlives it.
# Usage: with_display.sh COMMAND [ARGS...]
set -eu
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  rc=0
  "$@" || rc=$?
  if [ -n "${SORLA_WINEPREFIX:-}" ]; then WINEPREFIX=$SORLA_WINEPREFIX wineserver -w || true; fi
  exit $rc' sh "$@"
