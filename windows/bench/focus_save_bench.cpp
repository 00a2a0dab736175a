// How long a save holds up the application's UI thread while another
// process is in the middle of its own save: the learned file's lock is held
// the whole time, and each save of a dirty engine gives up after its wait.
// Run under Wine (or on Windows) as
//   focus_save_bench [saves]
// it prints the slowest and the median focus-change save, and one save at
// deactivation, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "learned_file/learned_file.h"
#include "learned_file/learned_path.h"
#include "learned_file/save_lock.h"
#include "sorla/engine.h"

namespace {

using namespace sorla;
using namespace sorla::learned_file;
using Clock = std::chrono::steady_clock;

double save_ms(LearnedFile& file, Engine& engine, SaveMoment moment, SaveOutcome::Result& result) {
  engine.learn("ban", "\u1794\u17B6\u1793", std::nullopt);
  const auto start = Clock::now();
  result = save_learned(file, engine, moment).result;
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int saves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  wchar_t temp[MAX_PATH];
  if (GetTempPathW(MAX_PATH, temp) == 0) return 1;
  const std::filesystem::path appdata =
      std::filesystem::path(temp) / ("sorla-focus-bench-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(appdata / "Sorla");
  SetEnvironmentVariableW(L"APPDATA", appdata.c_str());

  auto engine = std::get<Engine>(Engine::from_bytes(seed_words()));
  LearnedFile file;
  int busy = 0;
  std::vector<double> focus;
  double deactivation = 0;
  {
    // Another process's save, never finishing while we measure.
    const auto held = SaveLock::acquire(lock_path(*learned_path()), std::chrono::milliseconds(0));
    if (!held) return 1;
    SaveOutcome::Result result{};
    for (int i = 0; i < saves; ++i) {
      focus.push_back(save_ms(file, engine, SaveMoment::FocusChange, result));
      busy += result == SaveOutcome::Result::Busy;
    }
    deactivation = save_ms(file, engine, SaveMoment::Deactivation, result);
    busy += result == SaveOutcome::Result::Busy;
  }
  const double first = focus.front();
  std::sort(focus.begin(), focus.end());
  std::printf(
      "focus-change save with the lock held: worst %.2f ms, 99th percentile %.2f ms, median %.2f "
      "ms, first %.2f ms (%d saves)\n",
      focus.back(), focus[focus.size() * 99 / 100], focus[focus.size() / 2], first, saves);
  std::printf("deactivation save with the lock held: %.2f ms\n", deactivation);
  std::printf("saves that left their picks for later: %d of %d\n", busy, saves + 1);
  // The picks all went out once the lock was free.
  const bool saved = save_learned(file, engine).result == SaveOutcome::Result::Saved;
  std::printf("first save after the lock was let go: %s\n", saved ? "saved" : "NOT saved");
  std::filesystem::remove_all(appdata);
  return saved && busy == saves + 1 ? 0 : 1;
}
