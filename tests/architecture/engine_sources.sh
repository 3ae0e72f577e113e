#!/bin/sh
# Fails when the engine's CMakeLists.txt compiles a file of the window, the
# program or the command, or reaches out of engine/ with "../".
root=$1
found=$(cd "$root" && awk '
    { text = $0; sub(/#.*/, "", text) }
    text ~ /(^|[^[:alnum:]_])(window|app|cli)\// || text ~ /\.\.\// {
        line = $0; sub(/^[[:space:]]+/, "", line)
        print FILENAME ":" FNR ": " line
    }' engine/CMakeLists.txt)
if [ -n "$found" ]; then
    echo "$found"
    exit 1
fi
