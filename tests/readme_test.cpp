// The README's table of the FM station classes, typed into the program: the
// kilometres that it gives for each class are the ones the table states.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/typed_scenario.h"

namespace {

struct class_row {
  std::string line;  // as the README has it, for failure messages
  std::string name;
  std::string kilowatts, metres, feet, dbu;  // as typed
  double calculator_km;
};

std::string readme_text() {
  std::ifstream in(DROVLAN_README);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The cells of a table row, blanks trimmed: "| a | b |" gives a and b.
std::vector<std::string> cells_of(const std::string& line) {
  std::vector<std::string> cells;
  if (line.size() < 2 || line.front() != '|' || line.back() != '|') return cells;
  std::istringstream in(line.substr(1, line.size() - 2));
  for (std::string cell; std::getline(in, cell, '|');) {
    const auto first = cell.find_first_not_of(' ');
    const auto last = cell.find_last_not_of(' ');
    cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
  }
  return cells;
}

// The number before " unit" in a cell ("50 kW" with unit kW gives 50), or "".
std::string number_in(const std::string& cell, const std::string& unit) {
  const std::string suffix = " " + unit;
  if (cell.size() <= suffix.size() || !cell.ends_with(suffix)) return "";
  const std::string number = cell.substr(0, cell.size() - suffix.size());
  double value;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  return error == std::errc() && end == number.data() + number.size() ? number : "";
}

// Rows such as "| C2 | 50 kW | 150 m | 492 ft | 60 dBu | 52.2 km | 51.0 km |".
std::vector<class_row> station_class_rows(const std::string& readme) {
  static const std::vector<std::string> units = {"kW", "m", "ft", "dBu", "km", "km"};
  std::vector<class_row> rows;
  std::istringstream lines(readme);
  for (std::string line; std::getline(lines, line);) {
    const auto cells = cells_of(line);
    if (cells.size() != 1 + units.size()) continue;
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < units.size(); ++i)
      numbers.push_back(number_in(cells[i + 1], units[i]));
    if (std::find(numbers.begin(), numbers.end(), "") != numbers.end()) continue;
    rows.push_back(
        {line, cells[0], numbers[0], numbers[1], numbers[2], numbers[3], std::stod(numbers[5])});
  }
  return rows;
}

// The kilometres of a result line, as the screen shows them, or "".
std::string kilometres_shown(const std::string& row) {
  const auto from = row.find(" miles or ");
  const auto to = row.find(" kilometers");
  if (from == std::string::npos || to == std::string::npos || to < from) return "";
  const auto start = row.find_first_not_of(' ', from + 10);
  return start < to ? row.substr(start, to - start) : "";
}

std::string tenths(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", x);
  return text;
}

TEST(Readme, StationClassTableHoldsWhatTheProgramShows) {
  const std::string readme = readme_text();
  ASSERT_FALSE(readme.empty()) << "cannot read " << DROVLAN_README;
  const auto rows = station_class_rows(readme);

  std::vector<std::string> names;
  names.reserve(rows.size());
  for (const auto& r : rows) names.push_back(r.name);
  ASSERT_EQ(names, (std::vector<std::string>{"A", "B1", "B", "C3", "C2", "C1", "C0", "C"}))
      << "the station class table in " << DROVLAN_README;

  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    // The height as the table says it was typed: the metres in whole feet.
    EXPECT_EQ(std::stod(r.feet), std::round(std::stod(r.metres) / 0.3048));
    drivertest::headless_session s;
    const std::string keys = r.feet + "<Enter>" + r.kilowatts + "<Enter>" + r.dbu + "<Enter>";
    drivertest::run_steps(s, {{keys, {}}});
    const std::string shown = kilometres_shown(s.row(16));
    ASSERT_FALSE(shown.empty()) << "no result line after typing " << keys << "\n" << s.dump();
    EXPECT_EQ(tenths(std::stod(shown)), tenths(r.calculator_km))
        << "typed " << keys << ", the program shows " << shown << " km\n"
        << s.dump();
  }
}

}  // namespace
