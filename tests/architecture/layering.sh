#!/bin/sh
# Fails when a part of the program includes a part it must not know:
# the engine neither the window, the program nor the command (nor any widget
# or GUI header), the command neither the window nor the program; the engine's
# and the command's tests not the window either.
root=$1
status=0
forbid() {
    folder=$1 pattern=$2
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($pattern)" "$root/$folder" \
           --include='*.h' --include='*.cpp' 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$folder/ includes what it must not:"
        echo "$hits" | sed "s|^$root/||"
        status=1
    fi
}
forbid engine 'window/|app/|cli/|QtWidgets|QtGui|QWidget|QApplication|QGuiApplication'
forbid cli 'window/|app/|QtWidgets|QtGui|QWidget|QApplication|QGuiApplication'
forbid window 'app/|cli/'
# The second reading of mbox sources must not share the run's reading of them.
for file in FromLineScan.h FromLineScan.cpp MboxSplitCheck.h MboxSplitCheck.cpp; do
    forbid engine/verify/$file 'engine/(source|mbox|message|run|walk|layout)/'
done
forbid tests/engine 'window/|app/|QtWidgets|QtGui|QWidget|QApplication|QGuiApplication'
forbid tests/cli 'window/|app/|QtWidgets|QtGui|QWidget|QApplication|QGuiApplication'
exit $status
