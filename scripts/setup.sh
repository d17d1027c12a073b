#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages, when something is missing.
# Safe to run again: it installs nothing when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest clang-format      # native build, unit tests, the code's layout
  clang libclang-rt-14-dev                           # the fuzz targets (libFuzzer)
  mingw-w64 g++-mingw-w64-x86-64-posix               # the Windows build
  binutils-mingw-w64-x86-64                          # its objdump, which reads the program's imports
  wine wine64 fonts-wine xvfb xauth imagemagick      # running it: Wine and its own fonts (only
                                                     # recommended by wine), a virtual display, screenshots
  python3 python3-pytest python3-aiosmtpd sendemail  # end-to-end tests: harness, SMTP server, mailer
  netbase                                            # /etc/protocols: the mailer's sockets need "tcp"
  prometheus prometheus-node-exporter                # the metrics file read as Prometheus reads it
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
