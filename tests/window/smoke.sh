# A short session in the real window, over every thread of the front end:
# start, the first results, an error dialog answered Y, Q; then a dialog
# ended by SIGINT. The ThreadSanitizer build runs it too.
source "$(dirname "$0")/lib.sh"

start_xvfb
first=(1000 Return 100 Return -1 Return)
reference first-results "${first[@]}"
reference after-yes "${first[@]}" d 500 Return y

start_drovlan
find_main_window || finish
type_keys "${first[@]}"
wait_screen first-results 30
type_keys d 500 Return
wait_window "^${dialog_caption}\$" 30 || fail "no dialog after d 500 Return (typed: $TYPED)"
type_keys y
wait_screen after-yes 30
type_keys Q
wait_exit 30 || fail "the program did not end after Q"
expect_clean_exit "Q after the first results and a dialog"

start_drovlan
find_main_window || finish
type_keys 500 Return 50 Return 500 Return
if wait_window "^${dialog_caption}\$" 30; then
  signal_program INT
  wait_exit 30 || fail "SIGINT with the dialog open: the program did not end"
  expect_clean_exit "SIGINT with the dialog open"
else
  fail "no dialog after typing $TYPED"
fi

finish
