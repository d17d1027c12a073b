#!/usr/bin/env bash
# Sets up what is missing, builds the program and shows the road of an alert under Wine: an
# SMTP server and two HTTP servers on loopback, the watchdog watching a sample process, the
# process stopped and started, and each alert printed as received: the e-mail, the push beside
# it, and the heartbeat's pings with its /fail at the stop.
#   bash scripts/run.sh           the demonstration above
#   bash scripts/run.sh --plain   just start the watchdog, as a renamed copy in a scratch
#                                 program folder (KOVALT_INSTANCE names it; WATCH1 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kovalt kovalt_test_sleeper kovalt_driver kovalt_mailer

headless=${DISPLAY:-}
source scripts/wine-session.sh
wine_session_start "$root/build/scratch/wineprefix"

if [ "${1:-}" != "--plain" ]; then
  export PYTHONPATH="$root/tools/harness${PYTHONPATH:+:$PYTHONPATH}" \
    KOVALT_MAILER="$root/build/windows/tools/harness/kovalt_mailer.exe"
  # Not exec: the session's exit trap then stops Wine and the virtual display afterwards.
  /usr/bin/python3 tools/demo.py build/windows/kovalt.exe \
    build/windows/tests/win/kovalt_test_sleeper.exe build/windows/tools/harness/kovalt_driver.exe \
    "$root/build/scratch/KOV-ALT demo"
  exit
fi

instance=${KOVALT_INSTANCE:-WATCH1}
folder="$root/build/scratch/KOV-ALT program"
mkdir -p "$folder"
cp build/windows/kovalt.exe "$folder/$instance.exe"
echo "Starting $folder/$instance.exe (instance $instance). Close the strip or press Ctrl+C to end."
wine "$folder/$instance.exe" >"$root/build/scratch/$instance.log" 2>&1 </dev/null &
program=$!
if [ -z "$headless" ]; then
  sleep 5
  import -window root "$root/build/scratch/screen.png" 2>/dev/null &&
    echo "No display here: the virtual screen is in build/scratch/screen.png"
fi
wait "$program"
