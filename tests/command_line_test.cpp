// The -geometry value handed to the window library: an offset from the right
// or the bottom gets the window's own size, as the library places by it.
#include "screen/window/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using screen::window::mend_geometry_arguments;
using screen::window::placed_geometry;

TEST(CommandLine, AnOffsetFromTheRightOrBottomComesWithTheWindowsSize) {
  struct geometry_case {
    const char* given;
    const char* handed_on;  // nullptr: unchanged
  };
  const geometry_case cases[] = {
      {"-10+10", "640x400-10+10"},
      {"+10-10", "640x400+10-10"},
      {"-0-0", "640x400-0-0"},
      {"800x600-0+0", "640x400-0+0"},
      {"640x400-10-10", "640x400-10-10"},
      // Read back as the library reads them: the sign of a negative offset is
      // the mask's, the number what follows it.
      {"--5+0", "640x400--5+0"},
      {"+-5-0", "640x400+-5-0"},
      // Placed from the left and the top, or not placed: the library is right.
      {"+0+0", nullptr},
      {"+100+50", nullptr},
      {"800x600", nullptr},
      {"800x600+1+2", nullptr},
      {"-10", nullptr},
      {"", nullptr},
      {"junk", nullptr},
  };
  for (const auto& c : cases) {
    const auto got = placed_geometry(c.given, 640, 400);
    EXPECT_EQ(got.value_or("unchanged"), c.handed_on != nullptr ? c.handed_on : "unchanged")
        << "-geometry " << c.given;
  }
}

TEST(CommandLine, OnlyTheValuesOfGeometryOptionsChange) {
  std::vector<std::string> words = {"drovlan", "-display", "-geometry", "-geometry",
                                    "-0+0",    "-iconic",  "-geometry"};
  std::vector<char*> argv;
  argv.reserve(words.size());
  for (auto& w : words) argv.push_back(w.data());
  mend_geometry_arguments(static_cast<int>(argv.size()), argv.data(), 640, 400);
  const std::vector<std::string> want = {"drovlan",     "-display", "-geometry", "-geometry",
                                         "640x400-0+0", "-iconic",  "-geometry"};
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(argv[i], want[i]) << "word " << i;
}

}  // namespace
