#!/usr/bin/env bash
# Builds the Debian package into build-deb/, checks its contents, installs it
# with apt-get into the running system, runs what it installed, validates its
# desktop entry and metainfo, and removes it again. Meant for a throw-away
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
rm -f "$build"/quorvel_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/quorvel_*.deb)
echo "Package: $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
expected=(
    ./usr/bin/quorvel
    ./usr/share/applications/quorvel.desktop
    ./usr/share/applications/x-quorvel-open.desktop
    ./usr/share/metainfo/org.example.quorvel.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/quorvel.svg
    ./usr/share/man/man1/quorvel.1.gz
    ./usr/share/doc/quorvel/copyright
    ./usr/share/doc/quorvel/manual.html
    ./usr/share/doc/quorvel/changelog.gz
)
with_convert=0
if [ -f "$build/cli/quorvel-convert" ] || [ -f "$build/quorvel-convert" ]; then
    with_convert=1
    expected+=(./usr/bin/quorvel-convert ./usr/share/man/man1/quorvel-convert.1.gz)
fi
for path in "${expected[@]}"; do
    if ! grep -qxF "$path" <<<"$contents"; then
        echo "check-deb: $path is missing from the package" >&2
        exit 1
    fi
done
dpkg-deb -f "$deb" Depends | grep -q 'fonts-wine' || { echo "check-deb: Depends lacks fonts-wine" >&2; exit 1; }

# Errors fail the check; the warnings that remain are shown.
lintian --fail-on error "$deb"

$sudo apt-get -o DPkg::Lock::Timeout=600 install -y "./$deb"
trap '$sudo apt-get -o DPkg::Lock::Timeout=600 purge -y quorvel' EXIT
/usr/bin/quorvel --version
if [ "$with_convert" = 1 ]; then
    /usr/bin/quorvel-convert --version
fi
desktop-file-validate /usr/share/applications/quorvel.desktop /usr/share/applications/x-quorvel-open.desktop
packaging/check-mime-default.sh /usr/share/applications
appstreamcli validate --no-net /usr/share/metainfo/org.example.quorvel.metainfo.xml
man -l /usr/share/man/man1/quorvel.1.gz >/dev/null
echo "check-deb: $deb built, installed, run and validated"
