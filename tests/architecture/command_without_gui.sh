#!/bin/sh
# Fails when quorvel-convert holds window code or needs Qt's GUI libraries:
# it must start on a server that has neither.
program=$1
status=0
symbols=$(nm -C "$program" 2>/dev/null | grep -E 'BrowseForFolder|ShellOpen|QWidget|QGuiApplication|QApplication|QPixmap')
if [ -n "$symbols" ]; then
    echo "$program holds window or GUI code:"
    echo "$symbols" | head -20
    status=1
fi
libraries=$(readelf -d "$program" | grep -E 'NEEDED.*libQt6(Widgets|Gui)')
if [ -n "$libraries" ]; then
    echo "$program links Qt's GUI libraries:"
    echo "$libraries"
    status=1
fi
exit $status
