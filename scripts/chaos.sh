#!/usr/bin/env bash
# The chaos run of the windows by hand: random steps against ptk-tester of the sanitizer
# build on the virtual register with random faults (builds the sanitize preset when
# needed). Failed runs leave their steps, transcript and standard error in
# build-sanitize/chaos/.
#   bash scripts/chaos.sh SEED STEPS [STEP-BOUND-MS]
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: scripts/chaos.sh SEED STEPS [STEP-BOUND-MS]"
seed=${1:?$usage}
steps=${2:?$usage}
if [ ! -f build-sanitize/build.ninja ]; then
  bash scripts/deps.sh
  launcher=()
  if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  cmake --preset sanitize "${launcher[@]}"
fi
cmake --build --preset sanitize -j2 --target ptk-tester ptk-chaos
mkdir -p build-sanitize/chaos
export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
exec build-sanitize/tests/ptk-chaos --program build-sanitize/src/app/ptk-tester \
  --seed "$seed" --steps "$steps" --out build-sanitize/chaos ${3:+--step-limit "$3"}
