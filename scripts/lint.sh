#!/usr/bin/env bash
# make lint, and the lint stage of make test: clang-tidy (the checks of
# .clang-tidy) over every source file in the tree's compile database; any
# finding fails.
#
#   scripts/lint.sh TREE JOBS
#
# The findings reach the terminal (in colour when it is one) and TREE/lint.log
# (never in colour). clang-tidy's counts of the warnings that it kept to itself
# in system headers ("N warnings generated.") are dropped; anything else that
# it says on its error stream is shown. Ends with one summary line, also
# appended to $TEST_SUMMARY when that is set.
set -uo pipefail

tree=$1 jobs=$2
root=$(cd "$(dirname "$0")/.." && pwd)
log=$tree/lint.log

summary() {
  local line
  line=$(printf '%-6s %s' lint "$*")
  echo "$line"
  if [ -n "${TEST_SUMMARY:-}" ]; then echo "$line" >>"$TEST_SUMMARY"; fi
}

tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14) || {
  echo "lint: run-clang-tidy not found (Debian package clang-tidy; scripts/install-deps.sh lint)" >&2
  summary "run-clang-tidy not found"
  exit 1
}

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
echo "lint: clang-tidy over $tree/compile_commands.json (findings also in $log)"
start=$SECONDS
# run-clang-tidy always asks clang-tidy for colour; each file's diagnostics
# come on its standard output, the file's messages on its error stream.
out=$("$tidy" -p "$tree" -j "$jobs" -quiet "$root/(app|bench|calculator|screen|tests)/" 2>"$errors")
status=$?
seconds=$((SECONDS - start))

uncolour() { sed 's/\x1b\[[0-9;]*m//g'; }
# The diagnostics without the command line of each file; in colour or not.
findings() {
  awk -v colour="$1" '
    { plain = $0; gsub(/\033\[[0-9;]*m/, "", plain) }
    plain ~ /^clang-tidy(-[0-9]+)? / || plain == "" { next }
    { print (colour ? $0 : plain); shown = 1 }
    END { if (colour && shown) printf "\033[0m" }' <<<"$out"
}
messages() {
  uncolour <"$errors" | grep -Ev '^[0-9]+ warnings?( and [0-9]+ errors?)? generated\.$|^$'
}

files=$(uncolour <<<"$out" | grep -c '^clang-tidy')
count=$(uncolour <<<"$out" | grep -cE ': (warning|error): .*\[[a-z0-9.,-]+\]$')
{
  findings 0
  messages
} >"$log"
if [ -t 1 ]; then findings 1; else findings 0; fi
messages >&2

if [ "$count" -ne 0 ]; then
  noun=findings
  [ "$count" -eq 1 ] && noun=finding
  summary "$count $noun in the $files files checked in ${seconds} s (log: $log)"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  summary "clang-tidy failed after ${seconds} s, $files files checked (log: $log)"
  exit 1
fi
summary "$files files checked in ${seconds} s, nothing found"
