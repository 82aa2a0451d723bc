#include <cstdio>
#include <cstdlib>

#include "calculator/calculator.h"
#include "screen/frontend.h"

int main(int argc, char** argv) {
  (void)argc;
  screen::reset_layer(argv[0]);
  std::thread program = screen::program_thread_entry(&calculator::main_module);
  std::thread keeper = screen::housekeeping_thread([](int code) { std::_Exit(code); });
  program.detach();
  keeper.join();
  return 0;
}
