#!/usr/bin/env bash
# Builds the fuzz preset (Clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs every fuzz target for SECONDS (default 60) on a copy of its seed corpus, one
# target after another, then prints executions, coverage and findings per target. Exits
# non-zero when any target found something (its inputs are kept in build-fuzz/findings/).
#
#   bash scripts/fuzz.sh [SECONDS]
#   FUZZ_TARGETS="frame_exchange card_data" FUZZ_RUNS=10000000 bash scripts/fuzz.sh 600
#   FUZZ_SEED=1 bash scripts/fuzz.sh 20      # the same mutations every time
#
# Without FUZZ_SEED every run draws a new random seed (libFuzzer's own choice), so that
# long runs keep trying new inputs; the seed of each target is printed with its row.
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: scripts/fuzz.sh [SECONDS]   (FUZZ_TARGETS, FUZZ_RUNS, FUZZ_SEED in the environment)"
all_targets=(frame_exchange direct_command answer_decoders settings_files line_format
             bmp_pictures card_data script_reader virtual_register trace_replay)
if [ "${1-}" = --help ] || [ "${1-}" = -h ]; then
  printf '%s\ntargets: %s\n' "$usage" "${all_targets[*]}"
  exit 0
fi
seconds=${1:-60}
if [ $# -gt 1 ] || ! [[ "$seconds" =~ ^[0-9]{1,9}$ ]] || [ "$seconds" -lt 1 ]; then
  echo "scripts/fuzz.sh: SECONDS must be a number from 1 to 999999999, not $* ($usage)" >&2
  exit 2
fi
read -r -a targets <<< "${FUZZ_TARGETS:-${all_targets[*]}}"
for t in "${targets[@]}"; do
  if [[ " ${all_targets[*]} " != *" $t "* ]]; then
    echo "scripts/fuzz.sh: unknown fuzz target $t (known: ${all_targets[*]})" >&2
    exit 2
  fi
done

# The compiler and libFuzzer's runtime (and the packages of the normal build, whose
# GoogleTest headers the targets' scripted port uses), only when missing.
source scripts/lib.sh
bash scripts/deps.sh
install_missing clang libclang-rt-14-dev

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset fuzz "${launcher[@]}" >/dev/null
build_targets=()
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
cmake --build --preset fuzz "${build_targets[@]}"

bin=build-fuzz/tests/fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings build-fuzz/fuzz-logs
runs=()
[ -n "${FUZZ_RUNS:-}" ] && runs=(-runs="$FUZZ_RUNS")
# A fixed seed replays the same mutations: CI's short smoke run (FUZZ_SEED=1) only checks
# again what was already found, it explores nothing new. Unset: a random seed per target.
[ -n "${FUZZ_SEED:-}" ] && runs+=(-seed="$FUZZ_SEED")

rows=()
found=0
for t in "${targets[@]}"; do
  corpus="$work/$t"
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/"$t"/* "$corpus"/
  findings="build-fuzz/findings/$t"
  rm -rf "$findings"
  mkdir -p "$findings"
  log="build-fuzz/fuzz-logs/$t.log"
  echo "== $t: ${seconds} s" >&2
  start=$(date +%s)
  set +e
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$bin/fuzz_$t" -max_total_time="$seconds" "${runs[@]}" -print_final_stats=1 -timeout=25 \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1
  status=$?
  set -e
  took=$(( $(date +%s) - start ))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  seed=$(sed -n 's/^INFO: Seed: *//p' "$log" | head -1)
  echo "   seed ${seed:-?} (FUZZ_SEED=${seed:-?} replays it)" >&2
  # Slow units are kept too, but only crashes, time-outs, leaks and running out of memory
  # count as findings (a loaded machine can make any input slow once).
  crashes=$(find "$findings" -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' \
    -o -name 'oom-*' \) | wc -l)
  if [ "$crashes" -eq 0 ] && [ "$status" -ne 0 ]; then crashes=1; fi  # died without an input
  [ "$crashes" -gt 0 ] && found=1
  rows+=("$(printf '%-18s %7s %12s %7s %8s %9s' "$t" "$took" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$crashes")")
done

printf '%-18s %7s %12s %7s %8s %9s\n' target seconds executions cov ft findings
for r in "${rows[@]}"; do echo "$r"; done
if [ "$found" -ne 0 ]; then
  echo "findings kept in build-fuzz/findings/, logs in build-fuzz/fuzz-logs/" >&2
  exit 1
fi
