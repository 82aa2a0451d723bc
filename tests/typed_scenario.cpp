#include "tests/typed_scenario.h"

#include <algorithm>
#include <map>

namespace drivertest {

std::vector<screen::key_press> parse_keys(std::string_view keys) {
  static const std::map<std::string, screen::key_press, std::less<>> named = {
      {"Enter", screen::key_press::character(13)}, {"Esc", screen::key_press::character(27)},
      {"BS", screen::key_press::character(8)},     {"Tab", screen::key_press::character(9)},
      {"Up", screen::key_press::special(72)},      {"Down", screen::key_press::special(80)},
      {"Left", screen::key_press::special(75)},    {"Right", screen::key_press::special(77)},
      {"F1", screen::key_press::special(59)},
  };
  std::vector<screen::key_press> out;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == '<') {
      const auto close = keys.find('>', i);
      const std::string_view name = keys.substr(i + 1, close - i - 1);
      if (name.starts_with("Ctrl-") && name.size() == 6) {
        out.push_back(screen::key_press::character(static_cast<std::uint8_t>(name[5] & 0x1F)));
      } else {
        const auto it = named.find(name);
        if (it == named.end())
          ADD_FAILURE() << "unknown key name <" << name << ">";
        else
          out.push_back(it->second);
      }
      i = close;
    } else {
      out.push_back(screen::key_press::character(static_cast<std::uint8_t>(keys[i])));
    }
  }
  return out;
}

std::string right_trimmed(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

void run_steps(headless_session& s, const std::vector<scenario_step>& steps) {
  std::string typed;
  for (const auto& step : steps) {
    typed += step.keys;
    for (const auto& key : parse_keys(step.keys)) {
      while (!screen::push_key(key)) s.settle();
    }
    s.settle();
    for (const auto& r : step.rows) {
      EXPECT_EQ(right_trimmed(s.row(r.row)), right_trimmed(r.text))
          << "row " << r.row << " after typing \"" << typed << "\"\n"
          << s.dump();
    }
    if (step.cursor_row != 0) {
      EXPECT_EQ(s.cursor_row(), step.cursor_row) << "after typing \"" << typed << "\"\n"
                                                 << s.dump();
      EXPECT_EQ(s.cursor_column(), step.cursor_column) << "after typing \"" << typed << "\"\n"
                                                       << s.dump();
    }
  }
}

std::vector<expected_row> whole_screen(std::vector<expected_row> rows) {
  for (int r = 1; r <= screen::screen_rows; ++r) {
    if (std::none_of(rows.begin(), rows.end(), [r](const expected_row& e) { return e.row == r; }))
      rows.push_back({r, ""});
  }
  return rows;
}

std::string at_column(int column, const std::string& text) {
  return std::string(static_cast<std::size_t>(column - 1), ' ') + text;
}

std::string result_line(const std::string& level, const std::string& label,
                        const std::string& miles, const std::string& km) {
  return "    Distance to " + level + " dBu" + label + " contour: " + miles + " miles or " + km +
         " kilometers     ";
}

}  // namespace drivertest
