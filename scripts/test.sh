#!/usr/bin/env bash
# Sets up what is missing, builds both trees and runs every test: unit tests (native, with
# sanitizers), Windows tests under Wine, the end-to-end tests of the built program, and each
# fuzz target briefly over its seeds.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1

cmake --preset native >/dev/null && cmake --build --preset native || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows || exit 1
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1

source scripts/wine-session.sh
wine_session_start "$root/build/windows/wineprefix"
# Windows the tests open are not handed to a window manager: there is none on a virtual
# display, and Wine would wait two seconds for one at every window that closes.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A test program that crashes ends with its error instead of waiting behind Wine's crash dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1

passed=0
failed=0
count() {  # adds up CTest's "N tests failed out of M"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  passed=$((passed + t - f))
  failed=$((failed + f))
}

log=$(mktemp -d)
echo "== the code's layout (clang-format)"
# One check: every C++ file as .clang-format describes it.
unlaid=$(git ls-files '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "$f"; done)
if [ -z "$unlaid" ]; then
  echo "every C++ file is laid out as .clang-format describes"
  passed=$((passed + 1))
else
  echo "not as .clang-format describes (clang-format -i FILE mends it):" $unlaid
  failed=$((failed + 1))
fi
echo "== unit tests (native)"
ctest --preset native -j2 2>&1 | tee "$log/native.txt"
count "$log/native.txt"
echo "== Windows and end-to-end tests (Wine)"
ctest --preset windows 2>&1 | tee "$log/windows.txt"
count "$log/windows.txt"
echo "== fuzz targets, briefly"
ctest --preset fuzz -j2 2>&1 | tee "$log/fuzz.txt"
count "$log/fuzz.txt"
rm -rf "$log"

echo
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
