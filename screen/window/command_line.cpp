#include "screen/window/command_line.h"

#include <X11/Xutil.h>

#include <deque>

namespace screen::window {

std::optional<std::string> placed_geometry(const std::string& geometry, int width, int height) {
  int x = 0, y = 0;
  unsigned parsed_width = 0, parsed_height = 0;
  const int mask = XParseGeometry(geometry.c_str(), &x, &y, &parsed_width, &parsed_height);
  // The library places the window only by both offsets.
  if ((mask & XValue) == 0 || (mask & YValue) == 0) return std::nullopt;
  if ((mask & (XNegative | YNegative)) == 0) return std::nullopt;
  // Written so that it reads back the same: "-0" is an offset from the right
  // too, the sign coming from the mask, and a negative offset is the number
  // after its minus sign negated.
  const auto offset = [](bool negative, int value) {
    return negative ? "-" + std::to_string(-value) : "+" + std::to_string(value);
  };
  return std::to_string(width) + "x" + std::to_string(height) + offset((mask & XNegative) != 0, x) +
         offset((mask & YNegative) != 0, y);
}

void mend_geometry_arguments(int argc, char** argv, int width, int height) {
  // The mended texts must outlive the library's reading of argv.
  static std::deque<std::string> kept;
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string option = argv[i];
    if (option == "-display") {
      ++i;  // its value is no option
    } else if (option == "-geometry") {
      ++i;
      if (auto mended = placed_geometry(argv[i], width, height)) {
        kept.push_back(std::move(*mended));
        argv[i] = kept.back().data();
      }
    }
  }
}

}  // namespace screen::window
