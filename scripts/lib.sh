# Shared by the project's scripts: source it, do not run it.

# Installs the Debian packages among the arguments that are not installed yet; returns
# non-zero when apt-get fails. Nothing is fetched when every package is there.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq || return 1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Counting of a test script's checks: pass NAME; fail NAME [DETAIL ...] (each detail
# printed indented below it); finish_counts prints "N passed, N failed" and returns
# non-zero on any failure.
passed=0
failed=0
pass() {
  passed=$((passed + 1))
  echo "ok   $1"
}
fail() {
  failed=$((failed + 1))
  echo "FAIL $1"
  shift
  local detail
  for detail in "$@"; do printf '%s\n' "$detail" | sed 's/^/     | /'; done
}
finish_counts() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# start_emulator PROGRAM OUT ERR [ARG ...]: starts ptk-emulator in the background with
# ARGs, its standard output into OUT and its errors into ERR, and waits (up to 10 s) for
# the pseudo-terminal it prints on its first line. Sets emulator_pid and emulator_pty;
# returns non-zero when no pseudo-terminal came. stop_emulator ends it (SIGTERM, so that
# it saves a state file) and sets emulator_status to its exit status.
emulator_pid=""
emulator_pty=""
emulator_status=""
start_emulator() {
  local program="$1" out="$2" err="$3"
  shift 3
  : >"$out"
  "$program" "$@" >"$out" 2>"$err" &
  emulator_pid=$!
  local tries=0
  while [ ! -s "$out" ] && [ $tries -lt 200 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
  emulator_pty="$(head -n 1 "$out")"
  [ -n "$emulator_pty" ]
}
stop_emulator() {
  emulator_status=""
  [ -n "$emulator_pid" ] || return 0
  kill -TERM "$emulator_pid" 2>/dev/null
  wait "$emulator_pid"
  emulator_status=$?
  emulator_pid=""
}
