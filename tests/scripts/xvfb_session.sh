#!/usr/bin/env bash
# A session made with real input events: ptk-tester on the virtual register in a real
# window under Xvfb with a window manager, driven by xdotool (registration mode from the
# menu bar's keys, a receipt opened, a sale, the receipt closed, the window closed, the
# state code from the menu, the program closed by its frame), recorded with --record and
# --trace. The recorded script must be the expected one, and performed again with
# --script it must print the same transcript on the virtual register and with --replay of
# the recorded trace.
#   tests/scripts/xvfb_session.sh PTK_TESTER WORKDIR
# Needs Xvfb, xdotool and openbox (apt-get install xvfb xdotool openbox); exits 77 (the
# test is skipped) without them.
set -euo pipefail
program=$1
work=$2
for tool in Xvfb xdotool openbox; do
  command -v "$tool" >/dev/null || {
    echo "$tool is not installed"
    exit 77
  }
done
rm -rf "$work"
mkdir -p "$work/session" "$work/again" "$work/replay"
clock="15.06.2026 12:30:00"

display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb $wm $ptk 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
wm=$!
sleep 0.5

# The visible window with this title (waits for it to appear).
window() {
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then
        echo "$w"
        return
      fi
    done
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  exit 1
}
# A click at a point of a window's client area, then time for the exchange it starts.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.6
}

(cd "$work/session" && exec "$program" --emulator --clock "$clock" --record session.script \
  --trace session.trace >output.txt 2>errors.txt) &
ptk=$!
main=$(window "Тестовая программа для ПТК")
xdotool windowactivate --sync "$main"
# "Регистрации", the fourth item of the menu bar, from the keyboard.
xdotool key alt
sleep 0.3
xdotool key Right Right Right Return
window "ВХОД В РЕЖИМ РЕГИСТРАЦИЙ" >/dev/null
xdotool type --delay 30 00000001
xdotool key Return
receipt=$(window "РЕЖИМ РЕГИСТРАЦИЙ")
sleep 0.5
click "$receipt" 206 21   # the page "Открытие чека"
click "$receipt" 392 414  # "Выполнить"
click "$receipt" 333 21   # "Продажа"
click "$receipt" 340 165  # the price
xdotool key ctrl+a
xdotool type --delay 30 "12,50"
click "$receipt" 392 414  # "Выполнить"
click "$receipt" 478 73   # "Закрытие чека"
click "$receipt" 392 414  # "Выполнить"
click "$receipt" 689 520  # "Закрыть"
click "$main" 144 10      # the menu "Запросы"
click "$main" 201 53      # "Код состояния ПТК"
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$main" key alt+F4
for _ in $(seq 100); do kill -0 $ptk 2>/dev/null || break; sleep 0.1; done

expected="menu mi_Registr
type fm_RegComm.ed_Pass 00000001
key fm_RegComm.ed_Pass Return
click fm_Chek.tab_tsch_OpenChek
click fm_Chek.bt_OperOk
click fm_Chek.tab_tsch_Registr
type fm_Chek.edm_PriceRegistr 12,50
click fm_Chek.bt_OperOk
click fm_Chek.tab_tsch_CloseChek
click fm_Chek.bt_OperOk
click fm_Chek.bt_ChekClose
menu mi_KodSostKKM
key fm_SostFR.bt_SostFRExit Escape
close fm_MainFr"
recorded=$(tail -n +2 "$work/session/session.script")
if [ "$recorded" != "$expected" ]; then
  echo "the recorded script differs:"
  diff <(echo "$expected") <(echo "$recorded") || true
  exit 1
fi
head -1 "$work/session/session.script" | grep -q "^# ptk-tester .*, порт виртуальный ПТК, 115200 бит/с$" || {
  echo "the script's first line: $(head -1 "$work/session/session.script")"
  exit 1
}

export QT_QPA_PLATFORM=offscreen
script="$work/session/session.script"
(cd "$work/again" && "$program" --emulator --clock "$clock" --script "$script" >transcript.txt)
(cd "$work/replay" &&
  "$program" --replay ../session/session.trace --script "$script" >transcript.txt)
if ! diff -u "$work/again/transcript.txt" "$work/replay/transcript.txt"; then
  echo "the replay differs from the run on the virtual register"
  exit 1
fi
# Each command of the session succeeded: the receipt's three, leaving the mode, the state.
if [ "$(grep -c "^rezult:  00 - Ошибок нет" "$work/replay/transcript.txt")" -ne 5 ]; then
  echo "the replayed session did not succeed:"
  cat "$work/replay/transcript.txt"
  exit 1
fi
echo "recorded $(wc -l <"$script") lines; the replay printed the same transcript"
