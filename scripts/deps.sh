#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
install_missing cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev libgl-dev \
  fonts-dejavu-core
