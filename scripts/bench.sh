#!/usr/bin/env bash
# Sets up what is missing, builds the Windows tree and runs every benchmark in bench/ under Wine
# (a prefix of their own, build/bench/wineprefix; a virtual display when there is none), then
# writes BENCHMARKS.md in the repository root with the results and the machine they came from.
# About fifty minutes on the machine BENCHMARKS.md names, most of it the chaos run, the soak, the
# three footprint runs of a minute each, the SMTP server's outage with the tries again it waits
# for, and the push and stuck checks' runs of about five minutes each.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1

cmake --preset windows >/dev/null && cmake --build --preset windows || exit 1
bin="$root/build/windows/bench"

source scripts/wine-session.sh
mkdir -p "$root/build/bench"
wine_session_start "$root/build/bench/wineprefix"
# As for the tests: no window manager on a virtual display, so windows are not handed to one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

results="$root/build/bench/results"
rm -rf "$results"
mkdir -p "$results"
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M UTC')

# name, then the program's arguments: bench/<name>_bench.py when there is one (run with
# tools/harness), else the built kovalt_bench_<name>.exe. Output to files, never
# pipes: Wine's helper processes inherit them and outlive the program.
benchmarks=(
  "probe 1000 100"        # rounds, tasklist runs: probe cost and tick overhead
  "soak 20000 500 30 25"  # ticks, change the watched process every N ticks, minutes allowed, to fill
  "footprint 60 3 10"     # seconds before reading, runs; start runs of each program
  "latency 20"            # stop/start cycles
  "mail 20"               # stop/start cycles through the real mailer
  "outage 90"             # seconds the SMTP server is away
  "restart 20 600 120"    # kills, seconds of a crash loop, seconds of the strips at rest
  "chaos 1200 28"         # seconds of a random schedule, its seed
  "metrics 10000"         # reads of the metrics file while the watched program flips
  "push 20 120"           # kills, seconds of the strips at rest with and without a heartbeat
  "stuck 5 300"           # runs of each check, seconds of the strips at rest with and without them
)
# For the Python ones: the harness, the built programs they drive, and their scratch folder.
export PYTHONPATH="$root/tools/harness${PYTHONPATH:+:$PYTHONPATH}" KOVALT_EXE="$root/build/windows/kovalt.exe" \
  KOVALT_SLEEPER="$root/build/windows/tests/win/kovalt_test_sleeper.exe" \
  KOVALT_STUCK="$root/build/windows/tests/win/kovalt_test_stuck.exe" \
  KOVALT_DRIVER="$root/build/windows/tools/harness/kovalt_driver.exe" \
  KOVALT_MAILER="$root/build/windows/tools/harness/kovalt_mailer.exe" KOVALT_SCRATCH="$root/build/bench/scratch"
rm -rf "$KOVALT_SCRATCH"
failed=0
declare -A seconds status program
for entry in "${benchmarks[@]}"; do
  read -r name args <<<"$entry"
  echo "== $name ($args)"
  t0=$(date +%s)
  if [ -f "bench/${name}_bench.py" ]; then
    program[$name]="bench/${name}_bench.py"
    # shellcheck disable=SC2086
    /usr/bin/python3 "${program[$name]}" $args >"$results/$name.md" 2>"$results/$name.log" </dev/null
  else
    program[$name]="bench/${name}_bench.cpp"
    # shellcheck disable=SC2086
    wine "$bin/kovalt_bench_$name.exe" $args >"$results/$name.md" 2>"$results/$name.log" </dev/null
  fi
  rc=$?
  # A Windows program's standard output ends its lines with CR LF; BENCHMARKS.md has LF alone.
  sed -i 's/\r$//' "$results/$name.md"
  seconds[$name]=$(($(date +%s) - t0))
  status[$name]=$rc
  grep '^@summary ' "$results/$name.md" | sed 's/^@summary //'
  if [ "$rc" -ne 0 ]; then
    echo "   exit code $rc; see $results/$name.log"
    failed=$((failed + 1))
  fi
done
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- BENCHMARKS.md ----
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
memory=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
os=$( (. /etc/os-release && echo "$PRETTY_NAME") 2>/dev/null || echo unknown)
wine_version=$(wine --version 2>/dev/null)
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -1)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then commit="$commit, with uncommitted changes"; fi

out="$root/BENCHMARKS.md.new"
{
  echo "# Benchmarks"
  echo
  echo "**Every figure here was measured under Wine on Linux, not on Windows.** WMI, process"
  echo "start, window creation and memory accounting are Wine's own implementations; on Windows"
  echo "the figures will differ, and some counters Windows has are not kept by Wine at all (each"
  echo "section says where its figures come from)."
  echo
  echo "Reproduce: \`bash scripts/bench.sh\` (installs what is missing, builds the \`windows\`"
  echo "preset, runs the programs of \`bench/\` under Wine in \`build/bench/wineprefix\` and"
  echo "rewrites this file). Each section's text on how it measures comes from \`bench/sections.md\`."
  echo
  echo "## Machine and run"
  echo
  echo "| | |"
  echo "|---|---|"
  echo "| Date | $started |"
  echo "| CPUs (\`nproc\`) | $(nproc) |"
  echo "| CPU model | $cpu |"
  echo "| Memory | $memory |"
  echo "| System | $os, Linux $(uname -r) |"
  echo "| Wine | $wine_version |"
  echo "| Compiler | $compiler |"
  echo "| Source | git $commit |"
  echo "| Load average (1, 5, 15 min) at start / end | $load_start / $load_end |"
  echo
  echo "Medians are given with min and max; every ratio is taken between figures of the same run."
  echo "The machine was not otherwise reserved for the run (see the load average)."
  echo
  echo "## Overview"
  echo
  echo "| Measurement | Result | Target | Met |"
  echo "|---|---|---|---|"
  for entry in "${benchmarks[@]}"; do
    read -r name _ <<<"$entry"
    row=$(grep '^@summary ' "$results/$name.md" | sed 's/^@summary //')
    if [ -n "$row" ]; then echo "$row"; else echo "| $name | no result (exit code ${status[$name]}) | | |"; fi
  done
  echo
  for entry in "${benchmarks[@]}"; do
    read -r name args <<<"$entry"
    # The output without its overview rows, the text of bench/sections.md under each heading.
    awk 'NR == FNR { if (/^## /) h = $0; else if (h != "") text[h] = text[h] $0 "\n"; next }
         /^@summary / { next }
         { print }
         /^## / && ($0 in text) { t = text[$0]; sub(/^\n+/, "", t); sub(/\n+$/, "", t); print ""; print t }' \
      "$root/bench/sections.md" "$results/$name.md" | cat -s
    echo "_Program \`${program[$name]}\`, arguments \`$args\`, ${seconds[$name]} s, exit code ${status[$name]}._"
    if [ "${status[$name]}" -ne 0 ]; then
      echo
      echo '```'
      grep -v -e 'wine32' -e 'multiarch' -e 'dpkg --add' -e 'apt-get install' "$results/$name.log" | tail -20
      echo '```'
    fi
    echo
  done
  # What the figures alone do not say, kept with the benchmarks.
  if [ -f "$root/bench/NOTES.md" ]; then cat "$root/bench/NOTES.md"; fi
} >"$out"
mv "$out" "$root/BENCHMARKS.md"

echo
echo "BENCHMARKS.md written; $failed benchmark(s) failed"
[ "$failed" -eq 0 ]
