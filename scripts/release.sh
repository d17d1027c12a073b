#!/usr/bin/env bash
# Builds the release archive: build/release/kovalt-<version>-win64.zip with kovalt.exe, the
# README and the licence.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kovalt
cpack --config build/windows/CPackConfig.cmake -B build/release
ls -l build/release/*.zip
