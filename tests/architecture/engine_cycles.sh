#!/bin/sh
# Fails when engine folders include each other in a ring, and prints each ring
# as "a -> b -> a" with an include line for each step.
root=$1
found=$(cd "$root" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]engine/[^/]+/' engine \
            --include='*.h' --include='*.cpp' | sort -t: -k1,1 -k2,2n |
        sed -E 's|^(engine/([^/]+)/[^:]*:[0-9]+:)[[:space:]]*(#.*["<]engine/([^/]+)/.*)$|\2 \4 \1 \3|' |
        awk '
            # The shortest way back from "to" to "from", by breadth first:
            # every edge on a ring lies on one of these.
            function ringThrough(from, to,    queue, head, tail, seen, came, here, n, i, there, ring) {
                split("", seen); split("", came)
                queue[tail = 1] = to; seen[to] = 1; head = 1
                while (head <= tail) {
                    here = queue[head++]
                    if (here == from) break
                    n = split(next_of[here], there, " ")
                    for (i = 1; i <= n; ++i)
                        if (!(there[i] in seen)) { seen[there[i]] = 1; came[there[i]] = here; queue[++tail] = there[i] }
                }
                if (!(from in seen)) return ""
                ring = from
                for (here = from; here != to; here = came[here]) ring = came[here] " " ring
                return from " " ring
            }
            { from = $1; to = $2; sub(/^[^ ]+ [^ ]+ /, "") }
            from == to { next }
            !((from, to) in lines) {
                next_of[from] = next_of[from] " " to; edges[++count] = from SUBSEP to
                lines[from, to] = "    " $0
            }
            { ++more[from, to] }
            END {
                for (e = 1; e <= count; ++e) {
                    split(edges[e], pair, SUBSEP)
                    ring = ringThrough(pair[1], pair[2])
                    if (ring == "") continue
                    # The same ring is found from each of its edges: name it once,
                    # starting at its smallest folder.
                    n = split(ring, names, " ") - 1
                    start = 1
                    for (i = 2; i <= n; ++i) if (names[i] < names[start]) start = i
                    key = ""
                    for (i = 0; i <= n; ++i) key = key (i ? " -> " : "") names[(start - 1 + i) % n + 1]
                    if (key in shown) continue
                    shown[key] = 1
                    print key
                    for (i = 0; i < n; ++i) {
                        a = names[(start - 1 + i) % n + 1]; b = names[(start + i) % n + 1]
                        print lines[a, b] (more[a, b] > 1 ? "  (and " more[a, b] - 1 " more)" : "")
                    }
                }
            }')
if [ -n "$found" ]; then
    echo "$found"
    exit 1
fi
