#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
#   bash scripts/deps.sh
set -euo pipefail
usage="usage: scripts/deps.sh"
case "${1-}" in
  "") ;;
  --help | -h)
    echo "$usage"
    echo "Installs the Debian packages the build needs, only those that are missing."
    exit 0
    ;;
  *)
    echo "scripts/deps.sh: unknown argument $1 ($usage)" >&2
    exit 2
    ;;
esac
cd "$(dirname "$0")/.."
source scripts/lib.sh
install_missing cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev libgl-dev \
  fonts-dejavu-core
