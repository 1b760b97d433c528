#!/usr/bin/env bash
# Every script in scripts/ answers --help with its usage and exit status 0, and refuses an
# unknown argument with exit status 2, before it installs, builds or runs anything.
#   bash tests/script_arguments.sh SCRIPTS_DIR
set -uo pipefail
dir=$(realpath -- "${1:?usage: tests/script_arguments.sh SCRIPTS_DIR}")
# lib.sh is sourced by the others, not run; package-test.sh has its own owner.
skip=" lib.sh package-test.sh "
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for script in "$dir"/*.sh; do
  name=$(basename "$script")
  [[ "$skip" == *" $name "* ]] && continue
  # From another folder, with nothing to install: any work would show as a hang or a change.
  out=$(cd "$work" && timeout 20 bash "$script" --help 2>&1)
  status=$?
  if [ $status -ne 0 ] || [[ "$out" != usage:* ]]; then
    echo "FAIL $name --help: exit $status: $out"
    failed=1
  fi
  out=$(cd "$work" && timeout 20 bash "$script" --no-such-argument 2>&1 >/dev/null)
  status=$?
  if [ $status -ne 2 ] || [ "$(printf '%s\n' "$out" | wc -l)" -ne 1 ]; then
    echo "FAIL $name --no-such-argument: exit $status: $out"
    failed=1
  fi
done
[ -z "$(ls -A "$work")" ] || { echo "FAIL the scripts wrote into the working folder"; failed=1; }
[ $failed -eq 0 ] && echo "every script answers --help and refuses an unknown argument"
exit $failed
