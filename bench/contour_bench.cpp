// One evaluation of the coverage model, and the five presets with their result
// lines printed into the cells; both count heap allocations per iteration.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "calculator/model.h"
#include "screen/frontend.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Counts every allocation. Kept out of line: inlined, GCC would pair the malloc
// and free inside them with the new and delete of their callers and warn.
[[gnu::noinline]] void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

// 1000 ft and 100 kW, converted as the prompts store them.
void set_up_worked_example() {
  screen::reset_layer();
  calculator::reset_variables();
  screen::set_fpu_precision();
  auto& v = calculator::vars();
  v.antenna_height = static_cast<float>(screen::natural_log(1000.0));
  v.radiated_power = static_cast<float>(
      static_cast<long double>(static_cast<double>(screen::natural_log(100.0))) * 4.3429);
  v.contour_entry = -1;
}

void report_allocations(benchmark::State& state, long before) {
  state.counters["allocs_per_iter"] = benchmark::Counter(
      static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void BM_evaluate_model(benchmark::State& state) {
  set_up_worked_example();
  auto& v = calculator::vars();
  v.contour_level = 50;
  const long before = allocations.load();
  for (auto _ : state) {
    calculator::evaluate_model(v.contour_level, v.radiated_power, v.antenna_height);
    v.data_offset = 0;
    benchmark::DoNotOptimize(v.distance_miles);
  }
  report_allocations(state, before);
}
BENCHMARK(BM_evaluate_model);

// The 25 reads of the coefficient text alone, the model's share of parsing.
void BM_read_coefficients(benchmark::State& state) {
  set_up_worked_example();
  const long before = allocations.load();
  for (auto _ : state) {
    std::int32_t offset = 0;
    long double sum = 0;
    for (int i = 0; i < 25; ++i) {
      sum += screen::read_data_number(calculator::coefficient_text, offset,
                                      calculator::coefficient_text_length,
                                      screen::value_type::single_precision);
    }
    benchmark::DoNotOptimize(sum);
  }
  report_allocations(state, before);
}
BENCHMARK(BM_read_coefficients);

void BM_five_presets_printed(benchmark::State& state) {
  set_up_worked_example();
  screen::set_colour(0, 7, 0, 3);
  screen::clear_screen();
  auto& v = calculator::vars();
  const long before = allocations.load();
  for (auto _ : state) {
    calculator::show_contours(v.contour_entry, v.contour_level, v.radiated_power, v.antenna_height);
    benchmark::DoNotOptimize(v.distance_miles);
  }
  report_allocations(state, before);
}
BENCHMARK(BM_five_presets_printed);

}  // namespace
