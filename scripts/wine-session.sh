# Sourced by the run and test commands: a virtual display when there is none, and a Wine
# prefix, ready and kept up between programs.
# Call wine_session_start PREFIX; wine_session_stop runs on exit. Everything started from the
# session, tools/harness too, runs with the environment it sets.

# The Wine environment every Windows program here runs in (tools/wine-run.sh uses it too): the
# prefix, Wine's own messages off unless asked for, and no Mono or Gecko install prompts.
wine_env() {
  export WINEPREFIX=$1 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree=;mshtml="
}

wine_session_start() {
  wine_env "$1"
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 90 120); do
      [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
    done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  fi
  mkdir -p "$WINEPREFIX"
  # The first start of a prefix takes a while; later ones are quick. Output to a file: Wine's
  # helper processes would hold a pipe open.
  wineboot -i >"$WINEPREFIX/../wineboot.log" 2>&1 || true
  wineserver -p >/dev/null 2>&1 </dev/null || true
  # Wine's own fonts (Marlett draws the title bars' close buttons, Tahoma is the dialog font),
  # put where this Wine finds them whichever way it was packaged.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  mkdir -p "$fonts"
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -f "$font" ] || { echo "wine-session: no Wine fonts in /usr/share/wine/fonts (package fonts-wine)" >&2; return 1; }
    [ -f "$fonts/${font##*/}" ] || cp "$font" "$fonts/"
  done
  trap wine_session_stop EXIT
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
