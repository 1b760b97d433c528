#!/usr/bin/env bash
# The test command: installs what is missing, configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default
cmake --build --preset default -j2
ctest --preset default -j2 --timeout 300
