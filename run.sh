#!/usr/bin/env bash
# Installs what is missing, builds a Release build into build/ and starts Quorvel.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
exec build/app/quorvel "$@"
