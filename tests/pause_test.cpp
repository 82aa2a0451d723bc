// The keyboard's pause: it holds the program between two statements, and the
// next key pressed resumes it without being delivered.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "tests/driver.h"

namespace {

using namespace std::chrono_literals;
using drivertest::headless_session;

// Counts its statements and keeps every key it reads, until the layer stops it.
struct counting_program {
  std::atomic<int> statements{0};
  std::mutex keys_mutex;
  std::string keys;

  void run() {
    for (;;) {
      const auto key = screen::read_key();
      if (!key.empty()) {
        std::lock_guard lock(keys_mutex);
        keys += key;
      }
      statements.fetch_add(1);
      screen::end_statement(1);
      std::this_thread::sleep_for(1ms);
    }
  }
  std::string read() {
    std::lock_guard lock(keys_mutex);
    return keys;
  }
  // Waits until `n` more statements have run; false after a few seconds.
  bool runs_on(int n = 3) {
    const int from = statements.load();
    for (int i = 0; i < 5000 && statements.load() < from + n; ++i) std::this_thread::sleep_for(1ms);
    return statements.load() >= from + n;
  }
};

TEST(Pause, HoldsBetweenStatementsUntilAKeyThatIsNotDelivered) {
  counting_program p;
  headless_session s([&] { p.run(); });
  ASSERT_TRUE(p.runs_on());
  screen::request_pause();
  ASSERT_TRUE(p.runs_on(1));  // the statement under way ends
  const int held_at = p.statements.load();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(p.statements.load(), held_at) << "statements ran during the pause";
  EXPECT_TRUE(screen::push_key(screen::key_press::character('a')));
  EXPECT_TRUE(p.runs_on()) << "the key did not resume the program";
  EXPECT_TRUE(screen::push_key(screen::key_press::character('b')));
  for (int i = 0; i < 5000 && p.read().empty(); ++i) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(p.read(), "b") << "typed: Pause, a, b";
  EXPECT_EQ(screen::pending_keys(), 0u);
}

TEST(Pause, TheResumingKeyIsSwallowedAtAKeyWait) {
  headless_session s([] {
    const auto key = screen::input_chars(1);
    screen::end_statement(1);
    screen::print_text(key, false);
    screen::end_statement(2);
    (void)screen::input_chars(1);
  });
  ASSERT_EQ(s.settle(), screen::program_state::waiting_for_key);
  screen::request_pause();
  EXPECT_EQ(s.type("ab"), screen::program_state::waiting_for_key);
  EXPECT_EQ(s.row(1).substr(0, 2), "b ") << "typed: Pause, a, b\n" << s.dump();
}

TEST(Pause, ACloseRequestEndsAPausedProgram) {
  counting_program p;
  headless_session s([&] { p.run(); });
  ASSERT_TRUE(p.runs_on());
  screen::request_pause();
  screen::request_close();
  EXPECT_EQ(s.exit_code(), 0);
}

}  // namespace
