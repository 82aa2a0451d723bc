// The real window front end with a probe in place of the calculator: it reads
// the layer's key queue on commands from standard input and answers on
// standard output, one line per command.
//   keys        reads keys until an "x" arrives: "keys CODE..." (or "timeout CODE...")
//   drain       reads every key queued now: "drain CODE..."
//   count       "count N", the keys pending
//   title TEXT  sets the window title: "ok"
//   counter     from now on shows at row 1 a count of the statements it runs
//               while it waits for a command, which stops while paused: "ok"
//   quit        ends the program as the change menu's Q does
// A key is written as its byte, or as 0/SCAN for a key without a character.
//   window_key_probe [--title-first TEXT] [window library options]
// --title-first sets the title before the window opens.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "screen/window/window.h"

namespace {

using namespace std::chrono_literals;

void reply(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string key_text(const screen::text_value& key) {
  if (key.size() == 2) return "0/" + std::to_string(static_cast<unsigned char>(key[1]));
  return std::to_string(static_cast<unsigned char>(key[0]));
}

void quit() {
  screen::close_request().store(1);
  screen::end_program_thread();
}

bool counting = false;
long statements = 0;

// The next command line; meanwhile the layer may stop or pause the program.
std::string next_command() {
  static std::string pending;
  for (;;) {
    if (const auto end = pending.find('\n'); end != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      return line;
    }
    if (counting) {
      screen::locate_cursor(1, 1);
      screen::print_text(std::to_string(++statements), false);
    }
    screen::end_statement(0);
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    if (poll(&fd, 1, 20) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) quit();  // the test has gone
    pending.append(buffer, static_cast<std::size_t>(n));
  }
}

void probe() {
  screen::set_colour(0, 7, 0, 3);
  screen::clear_screen();
  for (;;) {
    const std::string command = next_command();
    if (command == "keys") {
      std::string line;
      const auto deadline = std::chrono::steady_clock::now() + 5s;
      for (;;) {
        screen::end_statement(0);
        const auto key = screen::read_key();
        if (key == "x") {
          reply("keys" + line);
          break;
        }
        if (!key.empty()) {
          line += " " + key_text(key);
        } else if (std::chrono::steady_clock::now() > deadline) {
          reply("timeout" + line);
          break;
        } else {
          std::this_thread::sleep_for(2ms);
        }
      }
    } else if (command == "drain") {
      std::string line;
      for (auto key = screen::read_key(); !key.empty(); key = screen::read_key()) {
        line += " " + key_text(key);
      }
      reply("drain" + line);
    } else if (command == "count") {
      reply("count " + std::to_string(screen::pending_keys()));
    } else if (command.starts_with("title ")) {
      screen::set_window_title(command.substr(6));
      reply("ok");
    } else if (command == "counter") {
      counting = true;
      reply("ok");
    } else if (command == "quit") {
      quit();
    } else {
      reply("unknown " + command);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string early_title;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--title-first") == 0 && i + 1 < argc) {
      early_title = argv[++i];
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  screen::reset_layer(args[0]);
  if (!early_title.empty()) screen::set_window_title(early_title);
  std::thread program = screen::start_program_thread(probe);
  program.detach();
  std::thread keeper = screen::housekeeping_thread([](int code) {
    std::fflush(nullptr);
    std::_Exit(code);
  });
  screen::window::run_window(count, args.data());
  screen::request_end_now();
  keeper.join();
  return 0;
}
