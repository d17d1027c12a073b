#!/usr/bin/env bash
# Sets up what is missing, builds kovalt_pictures.exe and makes a picture of every window,
# filled with sample values, into docs/pictures/*.png, and again at 150 % into
# docs/pictures/150/. Always on a virtual display of its own, so the pictures come out the same
# everywhere; a picture whose pixels did not change keeps its bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kovalt_pictures

unset DISPLAY
source scripts/wine-session.sh
mkdir -p build/pictures
wine_session_start "$root/build/pictures/wineprefix"
# No window manager on the virtual display: Wine draws the frames itself, at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

names=(main settings stuck push email-main email-shared output-commands about donations)

# One set of pictures at the given DPI into the given folder.
take() {
  local dpi=$1 out=$2 work handshake program status name left top width height
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true  # the DPI is read when Wine starts
  work=$(mktemp -d "$root/build/pictures/run.XXXXXX")
  handshake="$work/window.txt"
  # The program writes "<name> <left> <top> <width> <height>" to the handshake file once a
  # window is shown, and goes on when the file is gone.
  wine build/windows/tools/pictures/kovalt_pictures.exe "$(winepath -w "$handshake")" \
    >"$work/program.log" 2>&1 </dev/null &
  program=$!
  while kill -0 "$program" 2>/dev/null; do
    if [ -f "$handshake" ]; then
      read -r name left top width height <"$handshake"
      import -window root -crop "${width}x${height}+${left}+${top}" +repage \
        -strip -define png:exclude-chunks=date,time "$work/$name.png"
      echo "pictures: $name at $dpi DPI (${width}x${height})"
      rm -f "$handshake"
    fi
    sleep 0.1
  done
  status=0
  wait "$program" || status=$?
  cat "$work/program.log"
  [ "$status" -eq 0 ] || { echo "pictures: the program failed ($status)" >&2; exit 1; }
  for name in "${names[@]}"; do
    [ -f "$work/$name.png" ] || { echo "pictures: no picture of $name" >&2; exit 1; }
  done
  mkdir -p "$out"
  for name in "${names[@]}"; do
    # Replaced only when the bytes differ, so an unchanged picture keeps its file as it was.
    cmp -s "$work/$name.png" "$out/$name.png" || cp "$work/$name.png" "$out/$name.png"
  done
  rm -rf "$work"
  echo "pictures: $out/{$(IFS=,; echo "${names[*]}")}.png"
}

# As the README shows them, and at 150 % so that clipped text shows.
take 96 docs/pictures
take 144 docs/pictures/150
