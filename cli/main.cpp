#include <iostream>

#include "commands.h"

int main(int argc, char** argv) {
  const sorla::cli::Arguments args(argv + 1, argv + argc);
  const int status = sorla::cli::run_sorla(args, {std::cin, std::cout, std::cerr});
  std::cout.flush();
  return std::cout ? status : 1;
}
