#!/usr/bin/env bash
# Sets up what is missing, builds the program and starts it under Wine as a renamed copy in a
# scratch program folder (under a virtual display when there is none). Ends with the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kovalt

instance=${KOVALT_INSTANCE:-WATCH1}
folder="$root/build/scratch/KOV-ALT demo"
mkdir -p "$folder"
cp build/windows/kovalt.exe "$folder/$instance.exe"

headless=${DISPLAY:-}
source scripts/wine-session.sh
wine_session_start "$root/build/scratch/wineprefix"

echo "Starting $folder/$instance.exe (instance $instance). Close the strip or press Ctrl+C to end."
wine "$folder/$instance.exe" >"$root/build/scratch/$instance.log" 2>&1 </dev/null &
program=$!
if [ -z "$headless" ]; then
  sleep 5
  import -window root "$root/build/scratch/screen.png" 2>/dev/null &&
    echo "No display here: the virtual screen is in build/scratch/screen.png"
fi
wait "$program"
