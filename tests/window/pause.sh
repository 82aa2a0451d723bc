# The Pause key in the calculator's window: the program holds between two
# statements, and the next key pressed resumes it without being taken as
# input; Ctrl+Break ends a paused program.
source "$(dirname "$0")/lib.sh"

start_xvfb
menu=(1000 Return 100 Return -1 Return)
reference menu "${menu[@]}"
reference height "${menu[@]}" h
reference entry "${menu[@]}" h 1 2 4

start_drovlan
find_main_window || finish
type_keys "${menu[@]}"
wait_screen menu || finish

# At the menu: the h that ends the pause does not choose; the next h does.
type_keys Pause h
sleep 0.5 # a negative check: the height prompt showing now is the fault
screen_is menu || fail "Pause h at the menu: the h was taken (typed: $TYPED)"
type_keys h
wait_screen height

# In an entry: the 3 that ends the pause is not typed.
type_keys 1 2 Pause 3 4
wait_screen entry

type_keys Pause ctrl+Break
if wait_exit 10; then
  expect_clean_exit "Ctrl+Break while paused"
else
  fail "Ctrl+Break while paused: the program did not end"
fi

finish
