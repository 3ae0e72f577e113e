#!/bin/sh
# Fails on an include that climbs with "../": every include names its file
# from the top of the tree, so the layering scripts can see whom it reaches.
root=$1
found=$(cd "$root" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*\.\./' \
            engine window cli app tests bench fuzz \
            --include='*.h' --include='*.hpp' --include='*.c' --include='*.cc' --include='*.cpp' |
        sort -t: -k1,1 -k2,2n | sed -E 's|^([^:]*:[0-9]+:)[[:space:]]*|\1 |')
if [ -n "$found" ]; then
    echo "$found"
    exit 1
fi
