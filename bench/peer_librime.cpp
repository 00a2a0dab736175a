// The peer in the keystroke benchmark: librime (Debian's RIME engine) with
// its luna_pinyin schema, typing a fixed pinyin script. Times process_key +
// get_context + free_context per key: the engine's work for the key and the
// first page of candidates with their texts, as a front end reads them.
// Usage: sorla_peer_librime USER_FOLDER. The folder is made anew; deployment
// happens before any timing. The last line printed is the figures, read by
// sorla_bench: "keys N p50_us X p99_us Y".
#include <rime_api.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"

namespace sorla::bench {
namespace {

constexpr const char* kSharedData = "/usr/share/rime-data";
constexpr const char* kSchema = "luna_pinyin";
constexpr int kTimedPasses = 3;  // the fastest pass of each key counts, as for Sorla's keys
constexpr std::size_t kScriptKeys = 3000;

// Common words in toneless pinyin, typed whole and committed with a space.
constexpr const char* kWords[] = {
    "nihao",    "women",    "zhongguo", "xiexie",    "jintian",  "tianqi",  "hen",      "hao",
    "wo",       "ni",       "ta",       "shi",       "de",       "le",      "zai",      "you",
    "meiyou",   "shenme",   "zenme",    "weishenme", "keyi",     "xihuan",  "pengyou",  "laoshi",
    "xuesheng", "xuexiao",  "gongzuo",  "shijian",   "mingtian", "zuotian", "xianzai",  "yihou",
    "yiqian",   "dianhua",  "diannao",  "shouji",    "wenti",    "yinwei",  "suoyi",    "danshi",
    "ruguo",    "yiding",   "kaishi",   "jieshu",    "zhidao",   "renshi",  "juede",    "xiwang",
    "chifan",   "shuijiao", "kanshu",   "xiezi",     "shuohua",  "tingdao", "kandao",   "zhaodao",
    "beijing",  "shanghai", "daxue",    "zhongwen",  "yingyu",   "pinyin",  "hanzi",    "shuru",
    "fangfa",   "kuaile",   "gaoxing",  "mafan",     "jiandan",  "fuza",    "zhongyao", "keneng",
    "yijing",   "haishi",   "huozhe",   "bijiao",    "feichang", "tebie",   "dajia",    "ziji",
};

// Phrases of one to three words then a space, drawn by a fixed generator so
// every run types the same keys.
std::vector<std::string> typing_script() {
  std::vector<std::string> phrases;
  std::uint32_t state = 20261210;
  const auto next = [&state](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  constexpr auto count = static_cast<std::uint32_t>(std::size(kWords));
  for (std::size_t keys = 0; keys < kScriptKeys;) {
    std::string phrase;
    for (std::uint32_t w = next(3) + 1; w > 0; --w) phrase += kWords[next(count)];
    keys += phrase.size() + 1;
    phrases.push_back(phrase);
  }
  return phrases;
}

struct Rime {
  RimeApi* api = rime_get_api();
  RimeSessionId session = 0;
  ~Rime() {
    if (session) api->destroy_session(session);
    api->finalize();
  }
};

// One key through the engine and the menu read back; false when the key is refused.
bool key(const Rime& rime, int code) {
  if (!rime.api->process_key(rime.session, code, 0)) return false;
  RIME_STRUCT(RimeContext, context);
  if (!rime.api->get_context(rime.session, &context)) return false;
  rime.api->free_context(&context);
  return true;
}

// Types the script once; times[i] keeps the fastest time of key i so far.
bool type_script(const Rime& rime, const std::vector<std::string>& script,
                 std::vector<double>* times) {
  std::size_t i = 0;
  for (const std::string& phrase : script) {
    for (std::size_t k = 0; k <= phrase.size(); ++k, ++i) {
      const int code = k < phrase.size() ? phrase[k] : ' ';
      const auto start = Clock::now();
      const bool taken = key(rime, code);
      const double us = micros_since(start);
      if (!taken) return false;
      if (times) (*times)[i] = std::min((*times)[i], us);
    }
    // A space commits the first candidate, which may cover only part of the
    // phrase: the rest is dropped, outside the timing, so that every pass
    // types from the same state.
    rime.api->clear_composition(rime.session);
  }
  return true;
}

int run(const std::filesystem::path& user_folder) {
  std::filesystem::remove_all(user_folder);
  std::filesystem::create_directories(user_folder);
  // The distribution's schema list names schemas whose data is not installed;
  // the folder lists only the one timed.
  std::ofstream(user_folder / "default.custom.yaml")
      << "patch:\n  schema_list:\n    - schema: " << kSchema << "\n";
  const std::string user = user_folder.string();

  Rime rime;
  RIME_STRUCT(RimeTraits, traits);
  traits.shared_data_dir = kSharedData;
  traits.user_data_dir = user.c_str();
  traits.distribution_name = "Sorla bench";
  traits.distribution_code_name = "sorla-bench";
  traits.distribution_version = "1";
  traits.app_name = "rime.sorla-bench";
  traits.min_log_level = 3;  // fatal only
  traits.log_dir = user.c_str();
  rime.api->setup(&traits);
  rime.api->initialize(&traits);
  if (rime.api->start_maintenance(True)) rime.api->join_maintenance_thread();

  rime.session = rime.api->create_session();
  if (!rime.session || !rime.api->select_schema(rime.session, kSchema)) {
    std::fprintf(stderr, "peer: no %s schema under %s\n", kSchema, kSharedData);
    return 1;
  }
  const auto script = typing_script();
  std::size_t keys = 0;
  for (const std::string& p : script) keys += p.size() + 1;
  std::vector<double> times(keys, 1e300);
  if (!type_script(rime, script, nullptr)) {  // warm-up
    std::fprintf(stderr, "peer: librime refused a key\n");
    return 1;
  }
  for (int pass = 0; pass < kTimedPasses; ++pass) {
    if (!type_script(rime, script, &times)) return 1;
  }
  std::printf("librime %s, schema %s, %zu phrases\n", rime.api->get_version(), kSchema,
              script.size());
  std::printf("keys %zu p50_us %.2f p99_us %.2f\n", keys, percentile(times, 0.5),
              percentile(times, 0.99));
  return 0;
}

}  // namespace
}  // namespace sorla::bench

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sorla_peer_librime USER_FOLDER\n");
    return 2;
  }
  return sorla::bench::run(argv[1]);
}
