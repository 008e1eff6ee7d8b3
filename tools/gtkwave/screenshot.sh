#!/bin/sh
# Remakes docs/gtkwave.png: GTKWave under a virtual X server (Xvfb) showing
# the waveform of examples/04-entry-timeout.scn with the view file applied.
# Needs xvfb, gtkwave and imagemagick. Run from the repository's top folder:
#   tools/gtkwave/screenshot.sh [BUILD_DIR]
set -eu

build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dump=$build/examples/04-entry-timeout.vcd
mkdir -p "$build/examples"
"$build/doorlock-replay" --vcd "$dump" examples/04-entry-timeout.scn >/dev/null

cat >"$work/shoot.sh" <<'SHOOT'
#!/bin/sh
gtkwave "$1" tools/gtkwave/doorlock.gtkw >"$3.log" 2>&1 &
viewer=$!
sleep 6
import -window root "$2"
kill "$viewer"
SHOOT
xvfb-run -a -s "-screen 0 1400x720x24" sh "$work/shoot.sh" "$dump" "$work/shot.png" "$work/gtkwave"
if grep -qi 'could not' "$work/gtkwave.log"; then
    cat "$work/gtkwave.log" >&2
    exit 1
fi
mkdir -p docs
convert "$work/shot.png" -resize 1120x -colors 64 -strip docs/gtkwave.png
ls -l docs/gtkwave.png
