// ptk-cli: scripting and raw exchanges with the register.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return ptk::cli::RunCli(args, std::cout, std::cerr);
}
