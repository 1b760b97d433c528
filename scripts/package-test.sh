#!/usr/bin/env bash
# Builds the Debian package from the normal build in build/ (configuring and building it
# when needed), checks its control fields and contents, installs it into an empty root
# with dpkg --root, runs the installed programs from there against the host's libraries,
# and removes it again. Prints "N passed, N failed"; exits non-zero on any failure.
# Usage: scripts/package-test.sh
set -uo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build="$source_dir/build"

finish() {
  finish_counts
  exit
}

# dpkg-shlibdeps computes the Depends line; desktop-file-validate checks the entry;
# lintian checks the package against Debian's policy.
source scripts/lib.sh
install_missing dpkg-dev desktop-file-utils lintian || { fail "installing dpkg-dev"; finish; }

if [ ! -f "$build/CMakeCache.txt" ]; then
  bash scripts/deps.sh
  cmake --preset default >/dev/null || { fail "configure"; finish; }
fi
cmake --build --preset default -j2 --target ptk-tester ptk-cli ptk-emulator ptk_man_pages ptk_changelog \
  >"$build/package-test-build.log" 2>&1 || { fail "build" "$(tail -20 "$build/package-test-build.log")"; finish; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="$build/ptk-tester_${version}-1_${arch}.deb"

work=$(mktemp -d)
emulator_pid=""
cleanup() {
  [ -z "$emulator_pid" ] || kill "$emulator_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

rm -f "$build"/ptk-tester_*.deb
start=$(date +%s%N)
if (cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 && [ -f "$deb" ]; then
  pass "cpack builds $(basename "$deb") in $((($(date +%s%N) - start) / 1000000)) ms, $(stat -c %s "$deb") bytes"
else
  fail "cpack builds $(basename "$deb")" "$(tail -20 "$work/cpack.log")"
  finish
fi

# Control fields.
info=$(dpkg-deb -f "$deb")
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
  local name=$1 want=$2 got
  got=$(field "$name")
  if [ "$got" = "$want" ]; then pass "$name: $want"; else fail "$name: $want" "got: $got"; fi
}
expect_field Package ptk-tester
expect_field Version "${version}-1"
expect_field Architecture "$arch"
expect_field Section utils
expect_field Priority optional
[ -n "$(field Maintainer)" ] && pass "Maintainer set" || fail "Maintainer set"
description=$(field Description)
if [ "$(printf '%s\n' "$description" | head -1)" = "test and service program for the ПТК fiscal cash register" ] &&
  [ "$(printf '%s\n' "$description" | sed -n 2p)" = " ptk-tester drives a Russian fiscal cash register (the ПТК, with its fiscal" ] &&
  [ "$(printf '%s\n' "$description" | wc -l)" -gt 3 ]; then
  pass "Description with summary and long text"
else
  fail "Description with summary and long text" "$description"
fi
[ -z "$(field Homepage)" ] && pass "no Homepage" || fail "no Homepage" "$(field Homepage)"
depends=$(field Depends)
missing_deps=()
for lib in libc6 libstdc++6 libgcc-s1 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || missing_deps+=("$lib")
done
if [ ${#missing_deps[@]} -eq 0 ] && [[ "$depends" == *"(>= "* ]]; then
  pass "Depends computed: $depends"
else
  fail "Depends computed (missing ${missing_deps[*]})" "$info"
fi

# The package's files: exactly these, owned by root, with these modes.
expected_files="-rwxr-xr-x root/root ./usr/bin/ptk-cli
-rwxr-xr-x root/root ./usr/bin/ptk-emulator
-rwxr-xr-x root/root ./usr/bin/ptk-tester
-rwxr-xr-x root/root ./usr/bin/ptk-tester-launch
-rw-r--r-- root/root ./usr/lib/udev/rules.d/99-ptk-ftdi.rules
-rw-r--r-- root/root ./usr/share/applications/ptk-tester.desktop
-rw-r--r-- root/root ./usr/share/doc/ptk-tester/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/doc/ptk-tester/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/ptk-tester.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/ptk-tester.svg
-rw-r--r-- root/root ./usr/share/man/man1/ptk-cli.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/ptk-emulator.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/ptk-tester-launch.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/ptk-tester.1.gz"
actual_files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | LC_ALL=C sort -k3,3)
if [ "$actual_files" = "$expected_files" ]; then
  pass "contents: the 14 expected files and nothing else"
else
  fail "contents: the 14 expected files and nothing else" \
    "$(diff <(echo "$expected_files") <(echo "$actual_files"))"
fi
if dpkg-deb -c "$deb" | awk '{print $1, $2}' | grep -qv '^[-d]r[-w][-x]r-[-x]r-[-x] root/root$'; then
  fail "every entry root/root, not group- or world-writable" "$(dpkg-deb -c "$deb")"
else
  pass "every entry root/root, not group- or world-writable"
fi

# Debian's policy checks: an error fails; the warnings kept on purpose are listed in the
# README ("Debian package").
# --fail-on error: a non-zero status for an error, or when lintian itself cannot run.
out=$(lintian --fail-on error "$deb" 2>&1)
status=$?
warnings=$(printf '%s\n' "$out" | sed -n 's/^W: [^ ]* \([^ ]*\).*/\1/p' | sort -u | paste -sd' ')
if [ $status -eq 0 ]; then
  pass "lintian: no error${warnings:+ (warnings: $warnings)}"
else
  fail "lintian: no error (exit $status)" "$out"
fi
# The copyright file carries the licence of LICENSE, word for word.
if diff <(sed -n '/^Permission/,$p' LICENSE) \
  <(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/ptk-tester/copyright |
    sed -n '/^ Permission/,$p' | sed 's/^ //; s/^\.$//') >/dev/null; then
  pass "copyright file: Expat, the text of LICENSE"
else
  fail "copyright file: Expat, the text of LICENSE"
fi

# Install into an empty root: dpkg's database of its own, no maintainer scripts to run,
# dependencies checked against the host below instead.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
if out=$(dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" 2>&1) &&
  dpkg --root="$root" -s ptk-tester 2>/dev/null | grep -q '^Status: install ok installed'; then
  pass "dpkg --root installs the package"
else
  fail "dpkg --root installs the package" "$out"
fi
bin="$root/usr/bin"
if out=$(apt-get install -s "$deb" 2>&1) && printf '%s\n' "$out" | grep -q '^Inst ptk-tester ' &&
  [ "$(printf '%s\n' "$out" | grep -c '^Inst ')" -eq 1 ]; then
  pass "apt: the host has every dependency (simulated install)"
else
  fail "apt: the host has every dependency (simulated install)" "$out"
fi

export QT_QPA_PLATFORM=offscreen
run_dir="$work/run"
mkdir -p "$run_dir"

# ptk-cli against its in-process virtual register.
out=$(cd "$run_dir" && "$bin/ptk-cli" --emulator state 2>&1)
status=$?
if [ $status -eq 0 ] && printf '%s\n' "$out" | grep -qx 'line: Режим: выбор' &&
  printf '%s\n' "$out" | grep -qx 'line: Завод. номер ПТК: 0102030' &&
  printf '%s\n' "$out" | grep -qx 'rezult:  00 - Ошибок нет. Команда выполнена.' &&
  [ "$(printf '%s\n' "$out" | tail -1)" = "result: 1" ]; then
  pass "installed ptk-cli --emulator state"
else
  fail "installed ptk-cli --emulator state (exit $status)" "$out"
fi

# ptk-emulator on a pseudo-terminal, driven by the installed ptk-cli.
start_emulator "$bin/ptk-emulator" "$work/emulator.out" "$work/emulator.err" \
  --state "$work/register.state"
pty="$emulator_pty"
out=$(cd "$run_dir" && timeout 20 "$bin/ptk-cli" --port "$pty" state-code 2>&1)
status=$?
stop_emulator
if [[ "$pty" == /dev/pts/* ]] && [ $status -eq 0 ] &&
  printf '%s\n' "$out" | grep -qx 'line: Подрежим: выбор' && [ "$emulator_status" -eq 0 ] &&
  [ -s "$work/register.state" ]; then
  pass "installed ptk-emulator serves installed ptk-cli on $pty, saves its state"
else
  fail "installed ptk-emulator serves installed ptk-cli (port '$pty', cli $status, emulator $emulator_status)" \
    "$out$(cat "$work/emulator.err")"
fi

# ptk-tester: version, help, a short scripted run on the virtual register.
out=$("$bin/ptk-tester" --version 2>/dev/null)
[ "$out" = "ptk-tester $version" ] && pass "ptk-tester --version: $out" ||
  fail "ptk-tester --version" "$out"
out=$("$bin/ptk-tester" --help 2>&1)
[ $? -eq 0 ] && [[ "$out" == *"--emulator"* && "$out" == *"--script"* ]] &&
  pass "ptk-tester --help" || fail "ptk-tester --help" "$out"
cat >"$work/state.script" <<'EOF'
menu mi_KodSostKKM
show fm_SostFR.mem_SostFR
click fm_SostFR.bt_SostFRExit
EOF
out=$(cd "$run_dir" && timeout 60 "$bin/ptk-tester" --emulator --script "$work/state.script" 2>&1)
status=$?
if [ $status -eq 0 ] && printf '%s\n' "$out" | grep -qx 'show: fm_SostFR.mem_SostFR\[0\] = Режим: выбор' &&
  [ "$(printf '%s\n' "$out" | tail -1)" = "end" ]; then
  pass "installed ptk-tester --emulator --script (offscreen)"
else
  fail "installed ptk-tester --emulator --script (exit $status)" "$out"
fi

# The launcher: the per-user folder, created private, and the program's working folder
# (started from the folder of the programs, as a desktop might, it writes only into the
# user's folder).
launch() { env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen "$@"; }
home="$work/home"
mkdir -p "$home"
out=$(cd "$bin" && launch HOME="$home" "$bin/ptk-tester-launch" --emulator --script "$work/state.script" \
  --trace trace.txt 2>&1)
status=$?
folder="$home/.config/ptk-tester"
if [ $status -eq 0 ] && [ -d "$folder" ] && [ "$(stat -c %a "$folder")" = 700 ] &&
  [ -s "$folder/trace.txt" ] && [ "$(printf '%s\n' "$out" | tail -1)" = "end" ]; then
  pass "launcher runs ptk-tester in a new ~/.config/ptk-tester (mode 700)"
else
  fail "launcher runs ptk-tester in ~/.config/ptk-tester (exit $status)" "$out$(ls -la "$folder" 2>&1)"
fi
xdg="$work/xdg"
out=$(launch HOME="$home" XDG_CONFIG_HOME="$xdg" "$bin/ptk-tester-launch" --emulator \
  --script "$work/state.script" --trace trace.txt 2>&1)
status=$?
[ $status -eq 0 ] && [ -s "$xdg/ptk-tester/trace.txt" ] &&
  pass "launcher uses \$XDG_CONFIG_HOME/ptk-tester" ||
  fail "launcher uses \$XDG_CONFIG_HOME/ptk-tester (exit $status)" "$out"
rm -rf "$folder"
out=$(cd "$work" && launch HOME="$home" XDG_CONFIG_HOME=relative "$bin/ptk-tester-launch" --version 2>/dev/null)
[ "$out" = "ptk-tester $version" ] && [ -d "$folder" ] && [ ! -e "$work/relative" ] &&
  pass "launcher ignores a relative \$XDG_CONFIG_HOME" ||
  fail "launcher ignores a relative \$XDG_CONFIG_HOME" "$out"
out=$(launch "$bin/ptk-tester-launch" --version 2>&1)
[ $? -ne 0 ] && [[ "$out" == *"HOME is not set"* ]] && pass "launcher without HOME fails clearly" ||
  fail "launcher without HOME fails clearly" "$out"
blocker="$work/blocked"
touch "$blocker"
out=$(launch HOME="$home" XDG_CONFIG_HOME="$blocker" "$bin/ptk-tester-launch" --version 2>&1)
[ $? -ne 0 ] && [[ "$out" == *"cannot create"* ]] && pass "launcher fails when the folder cannot be made" ||
  fail "launcher fails when the folder cannot be made" "$out"

# The desktop entry, the icon it names, the udev rule of the README, the manual pages.
desktop="$root/usr/share/applications/ptk-tester.desktop"
out=$(desktop-file-validate "$desktop" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] && pass "desktop-file-validate" || fail "desktop-file-validate" "$out"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$bin/${exec_line%% *}" ] && [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] &&
  pass "desktop entry starts ${exec_line%% *}, icon $icon" ||
  fail "desktop entry's program and icon are installed" "Exec=$exec_line Icon=$icon"
rule=$(grep -o 'ACTION=="add".*' README.md | head -1)
[ -n "$rule" ] && grep -qxF "$rule" "$root/usr/lib/udev/rules.d/99-ptk-ftdi.rules" &&
  pass "udev rule is the README's" || fail "udev rule is the README's" "$rule"
for page in ptk-tester ptk-cli ptk-emulator; do
  file="$root/usr/share/man/man1/$page.1.gz"
  if ! header=$(gzip -dc "$file" 2>&1 | head -1) ||
    [[ "$header" != ".TH ${page^^} 1 \"\" \"ptk-tester $version\""* ]]; then
    fail "man page $page" "$header"
  elif command -v groff >/dev/null &&
    ! out=$(gzip -dc "$file" | groff -k -man -Tutf8 -ww -z 2>&1 && [ -z "$out" ]); then
    fail "man page $page renders without warnings" "$out"
  else
    pass "man page $page"
  fi
done
[ "$(gzip -dc "$root/usr/share/man/man1/ptk-tester-launch.1.gz")" = ".so man1/ptk-tester.1" ] &&
  pass "man page ptk-tester-launch refers to ptk-tester" || fail "man page ptk-tester-launch"

# Nothing ran above wrote into the installed tree, and removal leaves nothing behind.
listed=$(dpkg --root="$root" -L ptk-tester | sed "s|^|$root|" | sort)
present=$(find "$root/usr" | sort)
extra=$(comm -13 <(echo "$listed") <(echo "$present"))
[ -z "$extra" ] && pass "the programs wrote nothing into /usr" || fail "the programs wrote nothing into /usr" "$extra"
if out=$(dpkg --root="$root" --force-script-chrootless -r ptk-tester 2>&1) &&
  [ -z "$(find "$root/usr" -type f 2>/dev/null)" ]; then
  pass "dpkg --root removes every file"
else
  fail "dpkg --root removes every file" "$out$(find "$root/usr" -type f 2>/dev/null)"
fi

finish
