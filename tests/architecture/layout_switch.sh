#!/bin/sh
# Fails when a file names an output layout other than the layout's home, where
# the one store for it is chosen, and the command line, which parses the word
# for it: anywhere else a new layout would mean a new branch.
root=$1
home=engine/store/StoreFactory.cpp
found=$(cd "$root" && grep -rnE 'OutputLayout::(Mbox|Thunderbird|Maildir)' engine cli window app \
            --include='*.h' --include='*.cpp' |
        grep -vE "^($home|cli/CommandLine\.cpp):" |
        sort -t: -k1,1 -k2,2n | sed -E 's|^([^:]*:[0-9]+:)[[:space:]]*|\1 |')
if [ -n "$found" ]; then
    echo "$found"
    exit 1
fi
