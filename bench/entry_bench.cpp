// The numeric entry under a long run of keys: the time per key at the start
// and at the end of one entry of 10,000 keys, which must not grow.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "screen/entry_rules.h"
#include "screen/frontend.h"
#include "screen/layer.h"

namespace {

// The longest entry there is, then refused keys and Backspace-and-retype.
std::string long_entry_keys(std::size_t count) {
  std::string keys = "&B" + std::string(64, '1');
  while (keys.size() < count) keys += "x\b1";
  keys.resize(count);
  return keys;
}

void push_all(std::string_view keys) {
  for (const char c : keys) {
    while (!screen::push_key(screen::key_press::character(static_cast<std::uint8_t>(c)))) {
      std::this_thread::yield();
    }
  }
  screen::wait_until_settled(std::chrono::seconds(60));
}

void BM_EntryOf10000Keys(benchmark::State& state) {
  constexpr std::size_t keys_total = 10000, chunk = 1000;
  const std::string keys = long_entry_keys(keys_total);
  double first = 0, last = 0;
  for (auto _ : state) {
    screen::reset_layer();
    screen::single_value value = 0;
    std::thread program = screen::start_program_thread([&] {
      screen::locate_cursor(10, 37);
      screen::input_values(value, true);
    });
    screen::wait_until_settled(std::chrono::seconds(10));
    for (std::size_t at = 0; at < keys_total; at += chunk) {
      const auto start = std::chrono::steady_clock::now();
      push_all(std::string_view(keys).substr(at, chunk));
      const std::chrono::duration<double, std::micro> took =
          std::chrono::steady_clock::now() - start;
      if (at == 0) first += took.count() / chunk;
      if (at + chunk == keys_total) last += took.count() / chunk;
    }
    push_all("\r");
    program.join();
    if (value != 18446744073709551616.0f) state.SkipWithError("the entry did not end as typed");
  }
  state.counters["us_per_key_first_1000"] = first / static_cast<double>(state.iterations());
  state.counters["us_per_key_last_1000"] = last / static_cast<double>(state.iterations());
}
BENCHMARK(BM_EntryOf10000Keys)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckEntry(benchmark::State& state) {
  const std::string entry = "-1234.5678E-12";
  for (auto _ : state) benchmark::DoNotOptimize(screen::check_entry(entry));
}
BENCHMARK(BM_CheckEntry);

}  // namespace
