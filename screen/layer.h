// The text-screen layer as a program sees it: screen, keyboard, number texts,
// numeric entry, mathematics and the runtime-error mechanism. Every operation
// runs on the program's thread unless its comment says otherwise.
#pragma once

#include <atomic>
#include <cstdint>

#include "screen/number_text.h"
#include "screen/types.h"

namespace screen {

// Runtime error numbers the layer raises.
inline constexpr int error_syntax = 2;
inline constexpr int error_out_of_data = 4;
inline constexpr int error_illegal_function_call = 5;
inline constexpr int error_overflow = 6;
// Critical: the screen copies of the numeric entry could not be made.
inline constexpr int error_out_of_memory = 16;
inline constexpr int error_out_of_memory_copy = 17;

// --- arithmetic ----------------------------------------------------------
// Extended precision, round to nearest even, all exceptions masked.
void set_fpu_precision();

// --- window title --------------------------------------------------------
void set_window_title(const text_value& title);

// --- screen ----------------------------------------------------------------
// mask: 1 foreground given, 2 background given.
void set_colour(long long foreground, long long background, long long third = 0, int mask = 3);
void clear_screen();
// mask: 1 row, 2 column, 4 visibility, 8 and 16 cursor shape.
void locate_cursor(long long row, long long column, long long visibility = 0, long long first = 0,
                   long long last = 0, int mask = 3);
void make_fit(const text_value& text);
void print_text(const text_value& text, bool newline);
void print_newline();
text_value tab_to_column(long long n);
text_value string_of_chars(long long count, long long code);
// -1 when equal, 0 otherwise.
int strings_equal(const text_value& a, const text_value& b);

// --- keyboard and numeric entry -------------------------------------------
// The oldest queued key: one byte, or 0 and the scan code; empty when none.
text_value read_key();
// Waits for `count` keys without echo (keyboard form only).
text_value input_chars(int count, int file_number = 0, bool file_given = false);
// Reads one number typed at the cursor into `value`, with a newline after Enter.
void input_values(single_value& value, bool newline);

// --- data and mathematics --------------------------------------------------
long double read_data_number(const text_value& data, std::int32_t& data_offset, std::int32_t length,
                             value_type type);
long double natural_log(double x);
long double exponential(double x);
long double raise_to_power(long double base, long double exponent);
long double floor_value(double x);

// --- errors and ending -------------------------------------------------------
// True while something (an error, a stop or pause request) wants line_hook.
bool event_flag();
// Called after a statement while the event flag is set.
void line_hook(int statement, int unused1 = 0, int unused2 = 0);
// The program's own check after each statement: runs line_hook when needed.
inline void end_statement(int statement) {
  if (event_flag()) line_hook(statement, 0, 0);
}
void runtime_error(int error_number);
void show_error_dialog();
text_value error_text(int error_number);
// Marks the program's thread finished and parks it until the layer ends the process.
[[noreturn]] void end_program_thread();
// Set to 1 by the program to end the process.
std::atomic<std::uint8_t>& close_request();

}  // namespace screen
