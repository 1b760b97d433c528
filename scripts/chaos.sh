#!/usr/bin/env bash
# The chaos run of the windows by hand: random steps against ptk-tester of the sanitizer
# build on the virtual register with random faults (builds the sanitize preset when
# needed). Failed runs leave their steps, transcript and standard error in
# build-sanitize/chaos/.
#   bash scripts/chaos.sh SEED STEPS [STEP-BOUND-MS]
set -euo pipefail
usage="usage: scripts/chaos.sh SEED STEPS [STEP-BOUND-MS]"
case "${1-}" in
  --help | -h)
    echo "$usage"
    echo "Builds the sanitize preset when needed and runs ptk-chaos with SEED for STEPS steps."
    exit 0
    ;;
esac
refuse() {
  echo "scripts/chaos.sh: $1 ($usage)" >&2
  exit 2
}
[ $# -ge 2 ] && [ $# -le 3 ] || refuse "expected two or three arguments"
[[ "$1" =~ ^[0-9]+$ ]] && [ ${#1} -le 10 ] && [ "$1" -le 4294967295 ] ||
  refuse "SEED must be a number from 0 to 4294967295, not $1"
[[ "$2" =~ ^[0-9]+$ ]] && [ ${#2} -le 10 ] && [ "$2" -ge 1 ] && [ "$2" -le 1000000000 ] ||
  refuse "STEPS must be a number from 1 to 1000000000, not $2"
if [ $# -eq 3 ]; then
  [[ "$3" =~ ^[0-9]+$ ]] && [ ${#3} -le 7 ] && [ "$3" -ge 1 ] && [ "$3" -le 3600000 ] ||
    refuse "STEP-BOUND-MS must be a number from 1 to 3600000, not $3"
fi
seed=$1
steps=$2
cd "$(dirname "$0")/.."
root=$(pwd)
if [ ! -f build-sanitize/build.ninja ]; then
  bash scripts/deps.sh
  launcher=()
  if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  cmake --preset sanitize "${launcher[@]}"
fi
cmake --build --preset sanitize -j2 --target ptk-tester ptk-chaos
mkdir -p build-sanitize/chaos
export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
# Absolute paths: every run of the program starts in a working folder of its own.
exec "$root/build-sanitize/tests/ptk-chaos" --program "$root/build-sanitize/src/app/ptk-tester" \
  --seed "$seed" --steps "$steps" --out "$root/build-sanitize/chaos" ${3:+--step-limit "$3"}
