#!/usr/bin/env bash
# The Windows build under Wine: installs what is missing (MinGW-w64, Wine, the GoogleTest
# sources), cross-builds the core, ptk-cli and the core unit tests with the mingw preset,
# runs the unit tests under Wine, then runs ptk-cli.exe against the virtual register on a
# pseudo-terminal reached as a COM port, so that the Win32 serial backend carries real
# frames (plain answers, a pause inside an answer, refused frames, a silent register).
# The register is the native ptk-emulator of the normal build in build/ (built here when
# it is missing). Ends with "N passed, N failed"; the exit status is 1 on any failure.
#   bash scripts/windows-test.sh
set -uo pipefail
usage="usage: scripts/windows-test.sh"
case "${1-}" in
  "") ;;
  --help | -h)
    echo "$usage"
    echo "Cross-builds the mingw preset and runs the core tests and ptk-cli.exe under Wine."
    exit 0
    ;;
  *)
    echo "scripts/windows-test.sh: unknown argument $1 ($usage)" >&2
    exit 2
    ;;
esac
cd "$(dirname "$0")/.."
root="$(pwd)"

# A step without which nothing can run: counted as the one failure.
abort() {
  echo "FAILED  $1"
  echo "0 passed, 1 failed"
  exit 1
}

source scripts/lib.sh
install_missing cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest \
  || abort "installing the packages of the Windows build"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

emulator="$root/build/src/emulator/ptk-emulator"
if [ ! -x "$emulator" ]; then
  echo "Building the native virtual register"
  bash scripts/deps.sh || abort "installing the packages of the normal build"
  if [ ! -f build/CMakeCache.txt ]; then
    cmake --preset default "${launcher[@]}" >/dev/null || abort "configuring the default preset"
  fi
  cmake --build --preset default -j2 --target ptk-emulator || abort "building ptk-emulator"
fi

echo "Building the mingw preset"
cmake --preset mingw "${launcher[@]}" >/dev/null || abort "configuring the mingw preset"
cmake --build --preset mingw -j2 || abort "building the mingw preset"
out="$root/build-mingw"
cli="$out/src/cli/ptk-cli.exe"
work="$out/wine-test"
rm -rf "$work"
mkdir -p "$work"

# Wine without a display, without the Mono and Gecko installers (no network here).
wine64="$(command -v wine64 || echo /usr/lib/wine/wine64)"
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
export WINEPREFIX="$out/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# The server is started first so that what it prints goes to its log, not among the
# results; it is stopped at the end, and would end by itself a minute after its last client.
"$wineserver" -p60 >"$work/wineserver.log" 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix"
  timeout 300 "$wine64" wineboot -i >"$work/wineboot.log" 2>&1
fi


# The core unit tests: every GoogleTest case counts.
echo "Running the core unit tests under Wine"
(cd "$work" && timeout 300 "$wine64" "$out/tests/ptk_core_tests.exe" --gtest_brief=1) \
  >"$work/core-tests.log" 2>&1
core_status=$?
core_passed=$(grep -oE '^\[  PASSED  \] [0-9]+' "$work/core-tests.log" | grep -oE '[0-9]+$')
core_failed=$(grep -oE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$work/core-tests.log" |
  grep -oE '[0-9]+' | head -n 1)
passed=$((passed + ${core_passed:-0}))
failed=$((failed + ${core_failed:-0}))
if [ -z "$core_passed" ] || { [ "$core_status" -ne 0 ] && [ -z "$core_failed" ]; }; then
  fail "core unit tests (exit status $core_status)" "$(tail -n 5 "$work/core-tests.log")"
fi
grep -E '^\[  FAILED  \] [A-Za-z]' "$work/core-tests.log" | sort -u
echo "core unit tests: ${core_passed:-0} passed, ${core_failed:-0} failed"

# The register on a pseudo-terminal, reachable under Wine as COM20.
com=20
start_register() {  # FAULTS
  local faults="$1"
  start_emulator "$emulator" "$work/emulator.out" "$work/emulator.err" \
    ${faults:+--faults "$faults"} || return 1
  ln -sfn "$emulator_pty" "$WINEPREFIX/dosdevices/com$com"
}
stop_register() {
  stop_emulator 2>/dev/null
}
cleanup() {
  stop_register
  "$wineserver" -k >/dev/null 2>&1
}
trap cleanup EXIT

# serial NAME FAULTS STATUS "EXPECTED LINE|..." -- PTK-CLI ARGS
# Runs ptk-cli.exe on COM20 with a line trace against a register with FAULTS; passes when
# the exit status is STATUS and every expected line is in the output. The output and the
# trace stay in $work as NAME.out and NAME.trace for the trace checks below.
serial() {
  local name="$1" faults="$2" status="$3" expected="$4"
  shift 5
  if ! start_register "$faults"; then
    fail "$name" "the virtual register did not start: $(cat "$work/emulator.err")"
    stop_register
    return
  fi
  local t0 t1 rc
  t0=$(date +%s%N)
  (cd "$work" && timeout 120 "$wine64" "$cli" --port "COM$com" --trace "$name.trace" "$@") \
    >"$work/$name.out" 2>"$work/$name.err"
  rc=$?
  t1=$(date +%s%N)
  stop_register
  # Text written on Windows ends its lines with CR LF.
  sed -i 's/\r$//' "$work/$name.out" "$work/$name.err" "$work/$name.trace" 2>/dev/null
  local problems=()
  [ "$rc" -eq "$status" ] || problems+=("exit status $rc, expected $status")
  local line
  IFS='|' read -r -a lines <<<"$expected"
  for line in "${lines[@]}"; do
    grep -Fxq -- "$line" "$work/$name.out" || problems+=("missing line: $line")
  done
  local ms=$(((t1 - t0) / 1000000))
  if [ ${#problems[@]} -eq 0 ]; then
    pass "$name ($ms ms)"
  else
    fail "$name ($ms ms)" "${problems[@]}" "output:" "$(cat "$work/$name.out" "$work/$name.err")"
  fi
}

# count_lines FILE PATTERN: lines of FILE matching the extended regular expression.
count_lines() { grep -cE -- "$2" "$work/$1" 2>/dev/null || true; }

# check NAME CONDITION-TEXT: passes when the condition (an arithmetic test) holds.
check() {
  local name="$1" condition="$2" detail="$3"
  if (($condition)); then pass "$name"; else fail "$name" "$detail"; fi
}

echo "Running ptk-cli.exe under Wine against the virtual register on COM$com"
ok_line=" 00 - Ошибок нет. Команда выполнена."
serial exchange "" 0 "rezult: $ok_line|result: 1|answer: 02 55 00 00 03 56" -- exchange 45
serial direct "" 0 \
  "rezult: |error: 0|answer: 00 02 00 01 01 00 03 00 00 07 00 82 88 90 92 93 80 8B 9C 8D 9B 89 20 8F 92 8A" \
  -- direct A5
serial direct-password "" 1 "box: Ошибка: Неверный пароль|error: 4099|answer: 55 8C 00" \
  -- direct 56 04 12 34 56 78
serial state "" 0 "line: Режим: выбор|rezult: $ok_line|result: 1" -- state
serial pause-exchange "pause=20/1" 0 "rezult: $ok_line|result: 1|answer: 02 55 00 00 03 56" \
  -- exchange 45
# (The state verb waits 200 ms before it reads, by then the paused half has arrived.)
serial pause-long "pause=20/1" 0 "rezult: $ok_line|result: 1" \
  -- exchange 3F --answer-length 55 --allow-short
serial nak "nak=3" 0 "rezult: $ok_line|result: 1" -- exchange 45
serial silent "silent=100" 1 "box: Ошибка: Нет связи!|result: 0" -- exchange 45
serial silent-direct "silent=100" 1 "error: 196" -- direct A5

# What went over the line: the answers came in pieces where the register paused, the
# refused frames were sent again, and the silent register never answered an ENQ.
# The longest silence between two reads in a row (the answer frame cut by the pause), ms.
longest_gap() {
  awk '$3 == "<-PTK" { if (previous != "" && $1 - previous > gap) gap = $1 - previous;
                       previous = $1; next }
       { previous = "" }
       END { printf "%d", gap }' "$work/$1"
}
plain_gap=$(longest_gap exchange.trace)
pause_gap=$(longest_gap pause-exchange.trace)
long_gap=$(longest_gap pause-long.trace)
check "the 20 ms pauses inside the answers were waited out" \
  "pause_gap >= 15 && long_gap >= 15 && plain_gap < 15" \
  "longest gap inside an answer: $pause_gap and $long_gap ms with the pause, $plain_gap ms without"
naks=$(count_lines nak.trace '<-PTK 15$')
frames=$(count_lines nak.trace 'PC->  02 ')
check "three NAKs, the frame sent four times" "naks == 3 && frames == 4" \
  "NAKs: $naks, command frames: $frames"
enqs=$(count_lines silent.trace 'PC->  05$')
heard=$(count_lines silent.trace '<-PTK')
check "silent register: ENQs sent, nothing heard" "enqs >= 2 && heard == 0" \
  "ENQs: $enqs, lines read: $heard"
# No call of the Win32 backend failed on any run (a read that timed out is not a failure).
failures=$(cat "$work"/*.trace | grep -c 'failed' || true)
check "no port operation failed in any trace" "failures == 0" \
  "$(grep -H 'failed' "$work"/*.trace | head -n 5)"
opened=$(count_lines exchange.trace '----  open COM20')
check "the trace names the COM port" "opened == 1" "open lines: $opened"

finish_counts
