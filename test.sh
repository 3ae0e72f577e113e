#!/usr/bin/env bash
# Installs what is missing, builds a Release build into build/ and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")"
QUORVEL_WITH_TESTS=1 scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
