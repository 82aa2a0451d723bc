#include <cstdio>
#include <cstdlib>
#include <thread>

#include "calculator/calculator.h"
#include "screen/frontend.h"
#include "screen/window/window.h"

int main(int argc, char** argv) {
  // The screen first, then the calculator's thread, then the window.
  screen::reset_layer(argc > 0 ? argv[0] : "drovlan");
  std::thread program = screen::program_thread_entry(&calculator::main_module);
  program.detach();
  std::thread keeper = screen::housekeeping_thread([](int code) {
    std::fflush(nullptr);
    std::_Exit(code);
  });
  screen::window::run_window(argc, argv);
  // The loop ended with the window gone: nothing can answer a dialog any more,
  // and the housekeeping thread ends the process.
  screen::request_end_now();
  keeper.join();
  return 0;
}
