#!/usr/bin/env bash
# Checks, as GLib (gio) and xdg-utils (xdg-mime) pick them, that Quorvel is
# offered for saved messages (message/rfc822) but stays out of the way of a
# mail reader: with one installed beside it, the reader is the default.
# Usage: check-mime-default.sh APPLICATIONS_DIR (where quorvel.desktop and
# x-quorvel-open.desktop are, e.g. /usr/share/applications).
set -euo pipefail
installed=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/applications" "$work/bin" "$work/home" "$work/etc"
cp "$installed/quorvel.desktop" "$installed/x-quorvel-open.desktop" "$work/share/applications/"
# GLib offers only programs it finds on PATH.
for program in quorvel thunderbird; do
    printf '#!/bin/sh\n' >"$work/bin/$program"
    chmod +x "$work/bin/$program"
done

query() {
    update-desktop-database "$work/share/applications"
    env -i PATH="$work/bin:/usr/bin:/bin" HOME="$work/home" XDG_DATA_HOME="$work/home/data" \
        XDG_CONFIG_HOME="$work/home/config" XDG_CONFIG_DIRS="$work/etc" XDG_DATA_DIRS="$work/share" "$@"
}
fail() { echo "check-mime-default: $*" >&2; exit 1; }

# Alone, Quorvel opens saved messages. The answer is kept before grep reads it:
# grep -q stops at its match, and gio, cut off mid-write, would fail the pipe.
answer=$(query gio mime message/rfc822)
grep -q '^Default application.*x-quorvel-open.desktop' <<<"$answer" \
    || fail "without a mail reader, Quorvel is not the default for message/rfc822: $answer"

# A mail reader's entry, in the same folder as Quorvel's, as its package installs it.
cat >"$work/share/applications/thunderbird.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Thunderbird
Exec=thunderbird %u
Categories=Network;Email;
MimeType=message/rfc822;x-scheme-handler/mailto;
ENTRY
answer=$(query gio mime message/rfc822)
grep -q '^Default application.*thunderbird.desktop' <<<"$answer" \
    || fail "gio makes Quorvel the default over a mail reader: $answer"
grep -qx $'\tx-quorvel-open.desktop' <<<"$(sed -n '/^Recommended/,$p' <<<"$answer")" \
    || fail "Quorvel is not offered in Open With: $answer"
default=$(query xdg-mime query default message/rfc822)
[ "$default" = thunderbird.desktop ] || fail "xdg-mime makes $default the default over a mail reader"
echo "check-mime-default: a mail reader stays the default for message/rfc822; Quorvel is offered beside it"
