#!/usr/bin/env bash
# make lint: clang-tidy (the checks of .clang-tidy) over every source file in
# the tree's compile database; any finding fails.
#
#   scripts/lint.sh TREE JOBS
set -uo pipefail

tree=$1 jobs=$2
root=$(cd "$(dirname "$0")/.." && pwd)
tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14) || {
  echo "lint: run-clang-tidy not found (Debian package clang-tidy; scripts/install-deps.sh lint)" >&2
  exit 1
}
out=$("$tidy" -p "$tree" -j "$jobs" -quiet "$root/(app|bench|calculator|screen|tests)/" 2>&1)
status=$?
files=$(grep -c '^clang-tidy' <<<"$out")
# The findings only: not the command of each file, nor clang's count of the
# warnings that it kept to itself in system headers.
grep -Ev '^clang-tidy(-[0-9]+)? |^[0-9]+ warnings? generated\.$|^$' <<<"$out"
if [ "$status" -ne 0 ]; then
  echo "lint: findings in the $files files checked"
  exit 1
fi
echo "lint: $files files checked, nothing found"
