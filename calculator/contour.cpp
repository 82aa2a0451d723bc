// The coverage model, its result line and the sequence of contours.
#include "calculator/model.h"

namespace calculator {

using namespace screen;

using ext = long double;

const text_value coefficient_text =
    "3.68,5.368E-1,-9.454E-2,6.257E-3,0,"
    "1.1654,-.72486,.16038,-.015565,5.6445E-4,"
    "-9.2989E-2,5.5882E-2,-1.2486E-2,1.2408E-3,-4.6425E-5,"
    "1.8513E-3,-1.1238E-3,2.5306E-4,-2.534E-5,9.5651E-7,"
    "-1.1158E-5,6.8286E-6,-1.5485E-6,1.5598E-7,-5.9243E-9,";

void (*outer_step_observer)(const variables&) = nullptr;

namespace {

// Both loops run to this double limit.
constexpr double loop_limit = 4;
// Tenths of a mile: the double factor and divisor.
constexpr double tenths = 10;
constexpr single_value tenths_single = 10;
constexpr double miles_per_kilometre = 0.621;
constexpr single_value probable_above = 80;

void print_item(const text_value& text) {
  make_fit(text);
  print_text(text, false);
}

void print_number(single_value x) {
  print_item(single_to_string(x) + " ");
}

}  // namespace

void normalize_field(const single_value& level, const single_value& power_db) {
  variables& v = vars();
  v.normalized_field = level;
  end_statement(26);
  v.normalized_field =
      static_cast<single_value>(static_cast<ext>(v.normalized_field) - static_cast<ext>(power_db));
  end_statement(27);
}

void sum_polynomial(const single_value& log_height) {
  variables& v = vars();
  v.log_distance = 0;
  end_statement(29);

  // The control values are doubles; the indices are the stored singles, and
  // each next control value is the stored index plus 1.
  double outer = 0;
  v.field_power = static_cast<single_value>(outer);
  end_statement(30);
  while (!(outer > loop_limit)) {
    v.height_term = 0;
    end_statement(31);

    double inner = 0;
    v.height_power = static_cast<single_value>(inner);
    end_statement(32);
    while (!(inner > loop_limit)) {
      v.coefficient = static_cast<single_value>(read_data_number(
          coefficient_text, v.data_offset, coefficient_text_length, value_type::single_precision));
      end_statement(33);
      v.height_term = static_cast<single_value>(
          static_cast<ext>(v.height_term) +
          static_cast<ext>(v.coefficient) *
              raise_to_power(log_height, static_cast<ext>(v.height_power)));
      end_statement(34);
      inner = static_cast<double>(static_cast<ext>(v.height_power) + 1);
      v.height_power = static_cast<single_value>(inner);
      end_statement(35);
    }

    v.log_distance = static_cast<single_value>(
        static_cast<ext>(v.log_distance) +
        static_cast<ext>(v.height_term) *
            raise_to_power(v.normalized_field, static_cast<ext>(v.field_power)));
    end_statement(36);
    if (outer_step_observer != nullptr) outer_step_observer(v);
    outer = static_cast<double>(static_cast<ext>(v.field_power) + 1);
    v.field_power = static_cast<single_value>(outer);
    end_statement(37);
  }
}

void exponentiate_distance() {
  variables& v = vars();
  v.tenths_distance = static_cast<single_value>(exponential(v.log_distance) * tenths);
  end_statement(38);
}

void round_miles() {
  variables& v = vars();
  const ext t = v.tenths_distance;
  const ext whole = floor_value(static_cast<double>(t));
  const ext half_up = floor_value(static_cast<double>((t - whole) * 2));
  v.distance_miles = static_cast<single_value>((whole + half_up) / static_cast<ext>(tenths));
  end_statement(46);
}

single_value kilometres_of(single_value miles) {
  const ext quotient =
      static_cast<ext>(miles) * static_cast<ext>(tenths_single) / miles_per_kilometre;
  return static_cast<single_value>(floor_value(static_cast<double>(quotient)) /
                                   static_cast<ext>(tenths));
}

void evaluate_model(const single_value& level, const single_value& power_db,
                    const single_value& log_height) {
  normalize_field(level, power_db);
  sum_polynomial(log_height);
  exponentiate_distance();
  round_miles();
  (void)kilometres_of(vars().distance_miles);
}

void compute_contour(single_value& level, single_value& power_db, single_value& log_height) {
  variables& v = vars();
  normalize_field(level, power_db);
  if (v.normalized_field > probable_above) print_item("probable ");
  end_statement(28);
  sum_polynomial(log_height);
  exponentiate_distance();

  print_item(tab_to_column(5));
  print_item("Distance to");
  print_number(level);
  print_item("dBu");
  end_statement(39);
  if (level == 70.0f) print_item(" (3.16 mV)");
  end_statement(40);
  if (level == 60.0f) print_item("    (1 mV)");
  end_statement(41);
  if (level == 50.0f) print_item("  (316 \xE6V)");
  end_statement(42);
  if (level == 40.0f) print_item("  (100 \xE6V)");
  end_statement(43);
  if (level == 34.0f) print_item("   (50 \xE6V)");
  end_statement(44);
  print_item(" contour:");
  end_statement(45);

  round_miles();

  print_number(v.distance_miles);
  print_item("miles or");
  // The kilometres live only in the line that prints them.
  print_number(kilometres_of(v.distance_miles));
  print_item("kilometers     ");
  print_text("", true);
  end_statement(47);
}

void show_contours(single_value& contour_entry, single_value& contour_level,
                   single_value& radiated_power, single_value& antenna_height) {
  variables& v = vars();
  locate_cursor(16, 1);
  end_statement(74);

  if (contour_entry < 0) {
    // A double counter from 70 down by 10 while not below 40; the next value
    // comes from the level as stored.
    double counter = 70;
    for (;;) {
      contour_level = static_cast<single_value>(counter);
      if (counter < 40.0) break;
      compute_contour(contour_level, radiated_power, antenna_height);
      v.data_offset = 0;
      end_statement(75);
      counter = static_cast<double>(static_cast<ext>(contour_level) + static_cast<ext>(-10.0));
    }
  }
  end_statement(75);

  if (contour_entry < 0) {
    contour_level = 34.0f;
    compute_contour(contour_level, radiated_power, antenna_height);
    v.data_offset = 0;
  }
  end_statement(76);

  // Two ordered tests: minus zero counts as 0, a NaN passes neither.
  if (contour_entry == 0 || contour_entry > 0) {
    contour_level = contour_entry;
    compute_contour(contour_level, radiated_power, antenna_height);
    v.data_offset = 0;
  }
  end_statement(77);

  print_text("", true);
  end_statement(78);
}

}  // namespace calculator
