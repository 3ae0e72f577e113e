#!/usr/bin/env bash
# Builds the two Debian packages (quorvel-convert, the command; quorvel, the
# window) into build-deb/, checks their contents, dependencies and lintian,
# installs the command alone with apt-get into the running system and converts
# a message with it, then installs the window beside it, runs it, validates its
# desktop entries and metainfo, and removes both again. Meant for a throw-away
# machine (CI runs it as root): it installs the tools it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
tools=(dpkg-dev lintian desktop-file-utils appstream libglib2.0-bin xdg-utils)
missing=()
for package in "${tools[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    $sudo apt-get update
    $sudo apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi

# Debian's hardening flags, as a package built by dpkg-buildpackage gets them.
build=build-deb
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build"
rm -f "$build"/quorvel_*.deb "$build"/quorvel-convert_*.deb
(cd "$build" && cpack -G DEB)
convert_deb=$(ls "$build"/quorvel-convert_*.deb)
window_deb=$(ls "$build"/quorvel_*.deb)
echo "Packages: $convert_deb $window_deb"
fail() { echo "check-deb: $*" >&2; exit 1; }

# Each package holds exactly its files: the two never share a path.
check_contents() {
    local deb=$1; shift
    local contents
    contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
    diff <(printf '%s\n' "$@" | sort) - <<<"$contents" \
        || fail "$deb does not hold the files expected (< expected, > found)"
}
check_contents "$convert_deb" \
    ./usr/bin/quorvel-convert \
    ./usr/share/man/man1/quorvel-convert.1.gz \
    ./usr/share/doc/quorvel-convert/copyright \
    ./usr/share/doc/quorvel-convert/changelog.gz
check_contents "$window_deb" \
    ./usr/bin/quorvel \
    ./usr/share/applications/quorvel.desktop \
    ./usr/share/applications/x-quorvel-open.desktop \
    ./usr/share/metainfo/org.example.quorvel.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/quorvel.svg \
    ./usr/share/man/man1/quorvel.1.gz \
    ./usr/share/doc/quorvel/copyright \
    ./usr/share/doc/quorvel/manual.html \
    ./usr/share/doc/quorvel/changelog.gz \
    ./usr/share/doc-base/quorvel.quorvel-manual

# The command runs on a server with no display: neither its binary nor its
# package may bring in Qt's GUI, X11 or fonts.
display_libraries='qt6gui|qt6widgets|qt6svg|qt6dbus|qt6-qpa|libx11|libxcb|libxkb|libegl|libgl1|libopengl|wayland|fontconfig|freetype|fonts-'
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$convert_deb" "$unpacked"
needed=$(readelf -d "$unpacked/usr/bin/quorvel-convert" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "quorvel-convert needs: $(tr '\n' ' ' <<<"$needed")"
! grep -Eiq "$display_libraries" <<<"$needed" || fail "quorvel-convert links a display library: $needed"
convert_depends=$(dpkg-deb -f "$convert_deb" Depends)
window_depends=$(dpkg-deb -f "$window_deb" Depends)
echo "quorvel-convert Depends: $convert_depends"
echo "quorvel Depends: $window_depends"
! grep -Eiq "$display_libraries" <<<"$convert_depends" \
    || fail "quorvel-convert depends on a display library or font: $convert_depends"
grep -q 'fonts-wine' <<<"$window_depends" || fail "quorvel's Depends lack fonts-wine"
grep -qF "quorvel-convert (= $(dpkg-deb -f "$convert_deb" Version))" <<<"$window_depends" \
    || fail "quorvel does not depend on quorvel-convert of its own version"

# Errors and warnings fail the check; the info tags that remain are shown.
lintian --fail-on error,warning --display-info "$convert_deb" "$window_deb"

# The command alone first, as on a server.
# dpkg, not apt-get: apt-get refuses to purge a package no archive knows.
remove_both() { $sudo dpkg --purge quorvel quorvel-convert; }
remove_both
trap 'rm -rf "$unpacked"; remove_both' EXIT
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y "./$convert_deb"
! dpkg-query -W -f='${Status}' quorvel 2>/dev/null | grep -q 'install ok installed' \
    || fail "installing quorvel-convert brought in the window"
/usr/bin/quorvel-convert --version
mkdir -p "$unpacked/mail/Inbox"
printf 'From: Ann <ann@example.org>\r\nDate: Mon, 7 Dec 2026 10:45:12 +0000\r\nSubject: check\r\n\r\nFrom here on.\r\n' \
    >"$unpacked/mail/Inbox/1.eml"
/usr/bin/quorvel-convert --relative "$unpacked/mail" -o "$unpacked/out"
mbox=$(find "$unpacked/out" -name Inbox.mbox)
[ -n "$mbox" ] || fail "the installed quorvel-convert wrote no Inbox.mbox"
head -n 1 "$mbox" | grep -q '^From ann@example.org ' || fail "the mbox does not start with the message's From line"
grep -q '^>From here on' "$mbox" || fail "the installed quorvel-convert did not quote a body line starting with From"
man -l /usr/share/man/man1/quorvel-convert.1.gz >/dev/null

# Then the window beside it.
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y "./$window_deb"
/usr/bin/quorvel --version
desktop-file-validate /usr/share/applications/quorvel.desktop /usr/share/applications/x-quorvel-open.desktop
packaging/check-mime-default.sh /usr/share/applications
appstreamcli validate --no-net /usr/share/metainfo/org.example.quorvel.metainfo.xml
man -l /usr/share/man/man1/quorvel.1.gz >/dev/null
[ -s /usr/share/doc/quorvel/manual.html ] || fail "the manual is not installed"
echo "check-deb: $convert_deb and $window_deb built, installed, run and validated"
