#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts ptk-tester on the
# virtual register.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target ptk-tester
exec ./build/src/app/ptk-tester --emulator "$@"
