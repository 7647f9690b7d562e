#!/usr/bin/env bash
# Shows the demo: the desktop host on the sample folder when it is built and a
# display is available; otherwise a summary of the folder and how to go on.
set -euo pipefail
build=$1
folder=$2
if [ -x "$build/bin/dorvane-desktop" ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/bin/dorvane-desktop" "$folder"
  fi
  echo "No display found. Run the demo under a virtual display with:"
  echo "  xvfb-run -a $build/bin/dorvane-desktop $folder"
  echo "or save a picture of it with:"
  echo "  QT_QPA_PLATFORM=offscreen $build/bin/dorvane-desktop --screenshot demo.png $folder"
fi
echo "Sample data folder: $folder"
for db in MAIN.MDB QRLSYS.mdb; do
  [ -f "$folder/$db" ] || continue
  echo "== $db"
  for t in $(sqlite3 "$folder/$db" "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"); do
    printf '  %-12s %8s rows\n' "$t" "$(sqlite3 "$folder/$db" "SELECT count(*) FROM \"$t\"")"
  done
done
if [ -x "$build/bin/dorvane-script" ]; then
  echo "Try the scripted host:  $build/bin/dorvane-script   (commands on standard input, e.g. 'let PathText $folder' then 'screen')"
fi
