#!/usr/bin/env bash
# The test command: installs what is missing, configures, builds and runs every test.
#   bash scripts/test.sh
set -euo pipefail
usage="usage: scripts/test.sh"
case "${1-}" in
  "") ;;
  --help | -h)
    echo "$usage"
    echo "Installs what is missing, configures and builds the default preset, runs every test."
    exit 0
    ;;
  *)
    echo "scripts/test.sh: unknown argument $1 ($usage)" >&2
    exit 2
    ;;
esac
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default
cmake --build --preset default -j2
ctest --preset default -j2 --timeout 300
