#!/usr/bin/env bash
# Retakes docs/window.png from the real program: under Xvfb it adds a small
# folder of messages, converts it, and photographs the window afterwards.
# Needs xvfb, xauth, xdotool and imagemagick, and a build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
work=/tmp/quorvel-demo
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/ann/Mail/Inbox" "$work/out"
for i in 1 2 3; do
    printf 'From: ann%s@example.org\r\nDate: Tue, 5 Mar 2024 14:07:09 +0000\r\nSubject: hello\r\n\r\nbody\r\n' "$i" \
        > "$work/home/ann/Mail/Inbox/$i.eml"
done
export WORK="$work"
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
focus() { xdotool windowfocus "$(xdotool search --sync --onlyvisible --name "$1" | tail -1)"; sleep 0.3; }
build/app/quorvel & sleep 2
focus "^Quorvel$"; xdotool key Tab Tab space; sleep 1
focus "Choose Source Folder"; xdotool type --delay 20 "$WORK/home/ann/Mail"; xdotool key Return; sleep 1
focus "^Quorvel$"; xdotool key Return; sleep 0.5
focus "^Quorvel$"; xdotool key alt+m; sleep 1
focus "Choose Folder to Save"; xdotool type --delay 20 "$WORK/out"; xdotool key Return; sleep 2
focus "^Quorvel$"; xdotool key Return; sleep 0.5
import -window root "$WORK/screen.png"
kill %1'
# The window is 543 x 418 and centred on the 800 x 600 screen.
convert "$work/screen.png" -crop 543x418+128+91 +repage docs/window.png
echo "docs/window.png retaken"
