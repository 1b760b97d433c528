#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts ptk-tester on the
# virtual register (with --replay TRACE, on a recorded trace in its place). Arguments go to
# ptk-tester; files they name (--script, --trace, --replay, --record) may be given relative to the
# folder the script is started from.
#   bash scripts/run.sh [PTK-TESTER-OPTIONS ...]
set -euo pipefail
usage="usage: scripts/run.sh [--script FILE|-] [--trace FILE] [other ptk-tester options ...]"
# ptk-tester's options, checked here before anything is installed or built.
with_value=" --port --card-reader --trace --script --faults --clock --model --firmware-size --replay --record "
flags=" --emulator --keep-going --service --version --replay-timing "
args=()
register=(--emulator)  # the virtual register, unless a trace is replayed in its place
while [ $# -gt 0 ]; do
  arg=$1
  shift
  case "$arg" in
    --help | -h)
      echo "$usage"
      echo "Installs what is missing, builds, and runs build/src/app/ptk-tester --emulator"
      echo "(with --replay TRACE: on the recorded trace instead of the virtual register)."
      exit 0
      ;;
  esac
  name=${arg%%=*}
  if [[ "$flags" == *" $arg "* ]]; then
    args+=("$arg")
    continue
  fi
  if [[ "$with_value" != *" $name "* ]]; then
    echo "scripts/run.sh: unknown argument $arg ($usage)" >&2
    exit 2
  fi
  if [ "$name" != "$arg" ]; then
    value=${arg#*=}
  elif [ $# -gt 0 ]; then
    value=$1
    shift
  else
    echo "scripts/run.sh: $arg needs a value" >&2
    exit 2
  fi
  # The program runs in the repository's root: a relative path must not change its meaning.
  if [ "$name" = --replay ]; then register=(); fi
  if [[ ("$name" == --script || "$name" == --trace || "$name" == --replay || "$name" == --record) &&
    "$value" != - &&
    "$value" != /* ]]; then
    value="$PWD/$value"
  fi
  args+=("$name" "$value")
done
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target ptk-tester
exec ./build/src/app/ptk-tester "${register[@]}" "${args[@]}"
