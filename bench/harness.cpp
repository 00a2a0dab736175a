#include "harness.h"

#include <sys/resource.h>

#include <fstream>
#include <thread>

namespace sorla::bench {

std::int64_t peak_rss_bytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

std::string machine_name() {
  std::ifstream cpu("/proc/cpuinfo");
  std::string line;
  std::string model = "unknown CPU";
  while (std::getline(cpu, line)) {
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  return model + ", " + std::to_string(std::thread::hardware_concurrency()) + " threads";
}

}  // namespace sorla::bench
