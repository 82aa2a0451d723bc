// The screen image: all 80x25 cells drawn into the 640x400 BGRA frame, next to
// a plain copy of the same 1,024,000 bytes, the floor of any per-frame work.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "screen/render.h"

namespace {

// A screen like the change menu's: black on light grey, text on most rows.
screen::text_grid menu_like_grid() {
  screen::text_grid g;
  g.set_attribute(0x70);
  g.clear();
  const std::string line = "Distance to 50 dBu  (316 \xE6V) contour: 61.7 miles or 99.3 kilometers";
  for (int r = 1; r <= 24; ++r) {
    g.locate(r, 1 + r % 7);
    g.print(line, false);
  }
  g.locate(25, 55);
  g.print("Drovlan contour program", false);
  return g;
}

void BM_render_frame(benchmark::State& state) {
  const screen::text_grid grid = menu_like_grid();
  std::vector<std::uint32_t> image(screen::frame_pixels);
  for (auto _ : state) {
    benchmark::DoNotOptimize(screen::render_frame(grid, true, true, true, image.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(image.size() * sizeof(std::uint32_t)));
}
BENCHMARK(BM_render_frame);

void BM_copy_frame(benchmark::State& state) {
  std::vector<std::uint32_t> from(screen::frame_pixels, 0xFFAAAAAAu), to(screen::frame_pixels);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(from.size() * sizeof(std::uint32_t)));
}
BENCHMARK(BM_copy_frame);

}  // namespace
