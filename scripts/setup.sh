#!/usr/bin/env bash
# Installs the Debian packages Quorvel needs that are missing, then configures
# and builds a Release build into build/. Quick when nothing is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgmime-3.0-dev
    libxxhash-dev  # a hash as fast as reading, for --skip-duplicates
    fonts-wine
    xvfb xauth imagemagick python3
    time  # the benchmarks read peak memory through it
)
if [ "${QUORVEL_WITH_TESTS:-0}" = 1 ]; then
    # strace: the crash test kills quorvel-convert at chosen system calls
    packages+=(libpython3.11-testsuite clang libclang-rt-14-dev desktop-file-utils appstream strace)
    # dovecot-imapd: the Maildir and mbox output served over IMAP by a real server
    packages+=(dovecot-imapd)
    # xdotool: docs/screenshot.sh types into the real window under Xvfb
    packages+=(xdotool)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    $sudo apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi

if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build
