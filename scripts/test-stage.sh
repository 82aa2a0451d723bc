#!/usr/bin/env bash
# One stage of make test: builds a configured tree, then runs ctest over it
# once per set of arguments. The build's progress and the tests' output go to
# logs in the tree; compiler diagnostics and the output of failed tests reach
# the terminal. Ends with one summary line, also appended to $TEST_SUMMARY
# when that is set. Exit code 1 when the build fails, a test fails or a run
# finds no tests.
#
#   scripts/test-stage.sh NAME TREE JOBS 'CTEST ARGS' ['CTEST ARGS'...]
set -uo pipefail

name=$1 tree=$2 jobs=$3
shift 3
build_log=$tree/build.log
test_log=$tree/test-$name.log

summary() {
  local line
  line=$(printf '%-6s %s' "$name" "$*")
  echo "$line"
  if [ -n "${TEST_SUMMARY:-}" ]; then echo "$line" >>"$TEST_SUMMARY"; fi
}

echo "$name: building $tree (progress in $build_log)"
start=$SECONDS
# Diagnostics go to the terminal and to the log.
if ! cmake --build "$tree" -j "$jobs" >"$build_log" 2> >(tee -a "$build_log" >&2); then
  summary "build failed (log: $build_log)"
  exit 1
fi
built=$((SECONDS - start))

echo "$name: testing (output in $test_log)"
: >"$test_log"
start=$SECONDS
total=0
failed=0
empty=()
ok=true
for args in "$@"; do
  read -ra ctest_args <<<"$args"
  out=$(ctest --test-dir "$tree" --output-on-failure -j "$jobs" "${ctest_args[@]}" 2>&1)
  status=$?
  printf '%s\n' "== ctest ${args}" "$out" >>"$test_log"
  # "97% tests passed, 2 tests failed out of 369"
  counts=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' <<<"$out" | tail -1)
  if [ -z "$counts" ]; then
    echo "$name: ctest $args found no tests"
    empty+=("ctest $args found no tests")
    ok=false
    continue
  fi
  read -r run_failed _ _ _ _ run_total <<<"$counts"
  total=$((total + run_total))
  failed=$((failed + run_failed))
  if [ "$status" -ne 0 ] || [ "$run_failed" -ne 0 ]; then
    ok=false
    # All but the lines of the tests that passed: what failed, with its output.
    grep -Ev '^ *Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed ' <<<"$out"
  fi
done
tested=$((SECONDS - start))

if $ok; then
  summary "built in ${built} s; $total tests passed in ${tested} s"
  exit 0
fi
problems=()
[ "$failed" -gt 0 ] && problems+=("$failed of $total tests FAILED")
problems+=("${empty[@]}")
summary "built in ${built} s; $(IFS=';'; echo "${problems[*]}" | sed 's/;/; /g') in ${tested} s (log: $test_log)"
exit 1
