#!/bin/sh
# Fails when an engine folder includes one above it in the order on the
# "Layers:" line of engine/README.md, or when the folders and that line disagree.
root=$1
layers=$(sed -n 's/^Layers:[[:space:]]*//p' "$root/engine/README.md" 2>/dev/null)
if [ -z "$layers" ]; then
    echo "engine/README.md: no \"Layers:\" line"
    exit 1
fi
status=0
for folder in $(cd "$root/engine" && find . -mindepth 1 -maxdepth 1 -type d | sed 's|^\./||' | sort); do
    case " $layers " in
        *" $folder "*) ;;
        *) echo "engine/$folder: not placed on the Layers line of engine/README.md"; status=1 ;;
    esac
done
for folder in $layers; do
    if [ ! -d "$root/engine/$folder" ]; then
        echo "engine/$folder: on the Layers line of engine/README.md but missing"
        status=1
    fi
done
for file in $(cd "$root" && find engine -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \)); do
    echo "$file: outside every layer folder"
    status=1
done
# Each include of an engine folder, as "from to path:line: include".
found=$(cd "$root" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]engine/[^/]+/' engine \
            --include='*.h' --include='*.cpp' | sort -t: -k1,1 -k2,2n |
        sed -E 's|^(engine/([^/]+)/[^:]*:[0-9]+:)[[:space:]]*(#.*["<]engine/([^/]+)/.*)$|\2 \4 \1 \3|' |
        awk -v layers="$layers" '
            BEGIN { n = split(layers, names, " "); for (i = 1; i <= n; ++i) rank[names[i]] = i }
            { from = $1; to = $2; sub(/^[^ ]+ [^ ]+ /, "") }
            !(to in rank) { print $0 "  (engine/" to " is on no layer)"; next }
            rank[to] > rank[from] { print }')
if [ -n "$found" ]; then
    echo "$found"
    status=1
fi
exit $status
