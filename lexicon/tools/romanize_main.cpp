// Reads Khmer words, one per line, and prints each with its chat spellings
// (tab, then the spellings separated by spaces).
#include <iostream>
#include <string>

#include "sorla/lexicon/romanize.h"

int main(int argc, char** argv) {
  const std::size_t limit = argc > 1 ? std::stoul(argv[1]) : 4;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::cout << line << '\t';
    const auto spellings = sorla::lexicon::romanize(line, limit);
    for (std::size_t i = 0; i < spellings.size(); ++i) std::cout << (i ? " " : "") << spellings[i];
    std::cout << '\n';
  }
}
