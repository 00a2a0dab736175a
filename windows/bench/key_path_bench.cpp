// How long a key takes through the whole of sorla.dll under Wine's own TSF
// (smoke/tsf_host.h), and how much of it is the platform-free core. Not a
// test: it prints figures. Run under Wine as
//   key_path_bench SORLA.DLL WORDS.srla OUT.json [KEYS [ROUNDS]]
// It makes two folders, each with a copy of the DLL: "shipped" with WORDS as
// the word data and the index built from it, "seed" with none (the built-in
// list). The same chat typing, KEYS keys (letters, Space commits, a few
// Backspaces) from bench/lexgen over WORDS's spellings, goes to a fresh
// process for each folder, ROUNDS times alternating, each process typing it
// once to warm up and then kPasses times timed:
//   dll           TestKeyDown + KeyDown + TestKeyUp + KeyUp through the shim:
//                 the DLL's whole key path as Wine runs it (key reading, the
//                 core, edit sessions, the UI element offer, the window kept
//                 hidden);
//   dll_loop      the message loop run after that key;
//   core          the same keys through the FrontEnd alone on an engine
//                 opened as the DLL opens it (session and Engine::suggest,
//                 learning on commit);
//   window        that core's row shown or hidden on a candidate window made
//                 in this program from the DLL's code, as its refresh does;
//   window_paint  the message loop after that (the row's WM_PAINT);
//   key_read      what the DLL reads of a key going down (tsf/service/keys.h),
//                 twice as its test and its real call each do;
//   edit_session  one empty read-write edit session asked of Wine's context
//                 synchronously, as the DLL asks one for each key it eats;
//   row_text      of the window's update, measuring the row's texts (each
//                 candidate and its number) with the window's fonts, as its
//                 show does, on keys that show a row;
//   row_theme     of it too, reading the theme's colours on the keys that
//                 bring the row up (a shown row keeps them).
// Wine 8's contexts refuse ITfContextComposition, so the DLL opens no
// composition there and, with none to place it under, never shows its row:
// the window figures stand for that part of the path. Each key counts with
// the fastest of its timed runs; "rest" is dll - core for each key. Exit
// status 0 when every process typed the same document through the DLL as
// through the core.
#include <windows.h>
// Windows headers must come first.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "com/com_ptr.h"
#include "com/object.h"
#include "concurrent/child_process.h"
#include "guids.h"
#include "lexgen.h"
#include "library.h"
#include "settings/settings.h"
#include "smoke/tsf_host.h"
#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/front_end.h"
#include "sorla/text_document.h"
#include "stats.h"
#include "text/wide.h"
#include "tsf/service/keys.h"
#include "tsf/window/candidate_window.h"
#include "tsf/window/font_set.h"
#include "tsf/window/gdi.h"
#include "word_data/word_data_file.h"

namespace sorla::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using com::ComPtr;

constexpr int kPasses = 3;
// The caret the smoke's text store reports (TextStore::GetTextExt).
constexpr window::Rect kCaret{100, 200, 110, 224};
enum Measure : std::size_t {
  kDll,
  kDllLoop,
  kCore,
  kWindow,
  kWindowPaint,
  kKeyRead,
  kEditSession,
  kRowText,
  kRowTheme,
  kMeasureCount
};
const char* const kMeasureNames[kMeasureCount] = {"dll",          "dll_loop",     "core",
                                                  "window",       "window_paint", "key_read",
                                                  "edit_session", "row_text",     "row_theme"};

double micros(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::micro>(to - from).count();
}

std::vector<std::uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool write_file(const fs::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

// The typing script of the engine benchmark over the word data's spellings,
// as a key script of `keys` keys: each typed text grows or shrinks by one
// key, and a Space ends it, committing what is left (the last key too).
std::string typing_script(const WordList& words, std::size_t keys) {
  std::string script;
  std::size_t count = 0;
  for (const lexgen::TypingCase& c : lexgen::generate_typing(words, keys, 27)) {
    std::string before;
    for (const std::string& now : c.keystrokes) {
      if (count + 1 >= keys) break;
      script += now.size() > before.size() ? std::string(1, now.back()) : std::string("{bksp}");
      before = now;
      ++count;
    }
    script += ' ';
    if (++count >= keys) break;
  }
  return script;
}

// Everything the message loop has for this thread, as an application's
// loop would run it between two keys.
void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool candidate_window_shown() {
  const HWND window = FindWindowW(window::kClassName, nullptr);
  return window && IsWindowVisible(window);
}

class EmptySession final : public com::Object<ITfEditSession> {
 public:
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie) override { return S_OK; }
};

// What the candidate window's show measures of a row, with its flags.
void measure_row(HDC dc, const window::FontSet& fonts, const std::vector<std::string>& row) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    for (const auto& [font, text] : {std::pair{fonts.number(), std::to_wstring(i + 1)},
                                     std::pair{fonts.candidate(), to_wide(row[i])}}) {
      gdi::Select font_in(dc, font);
      RECT rect{};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
}

// The core's half of what the text service does for one press.
void core_press(FrontEnd& front_end, TextDocument& doc, const KeyEvent& key) {
  if (front_end.test_key_down(key)) doc.apply(front_end.key_down(key).plan);
  if (front_end.test_key_up(key.vk)) doc.apply(front_end.key_up(key.vk).plan);
}

void report_failure(HRESULT hr, const char* what) {
  if (FAILED(hr)) std::printf("FAIL: %s (0x%08lX)\n", what, static_cast<unsigned long>(hr));
}

// One process's run: the samples of every measure for every key and pass.
struct ChildRun {
  std::vector<std::vector<double>> samples[kMeasureCount];  // [measure][pass][key]
  double activation_ms = 0;
  std::size_t dll_window_keys = 0, core_window_keys = 0;  // keys after which a row was shown
  bool same_document = false;
};

// Types the keys through the DLL in `folder` and then through the core.
int child(const fs::path& folder, const fs::path& script_path, const fs::path& result_path) {
  const auto script_bytes = read_file(script_path);
  auto parsed = parse_key_script(std::string(script_bytes.begin(), script_bytes.end()));
  if (!std::holds_alternative<std::vector<KeyEvent>>(parsed)) return 2;
  const auto keys = std::get<std::vector<KeyEvent>>(std::move(parsed));
  // No learned picks or words of the user's from an earlier run.
  const fs::path appdata = testing::fresh_appdata(L"sorla-key-path-");
  BYTE no_keys[256] = {};
  SetKeyboardState(no_keys);

  ChildRun run;
  for (auto& m : run.samples) m.assign(kPasses, std::vector<double>(keys.size()));
  std::string dll_text;
  {
    // Loaded from the folder given, as COM would load it from its
    // registration; let go of last, after every object of it.
    const testing::Library dll(folder / L"sorla.dll");
    const auto document = smoke::Document::open(report_failure);
    if (!document) return 1;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get_class_object = dll.entry<GetClassObject>("DllGetClassObject");
    if (!get_class_object) return 1;
    ComPtr<IClassFactory> factory;
    ComPtr<ITfTextInputProcessor> service;
    report_failure(get_class_object(ids::kTextService, __uuidof(IClassFactory), factory.put_void()),
                   "the DLL's class object");
    if (!factory) return 1;
    report_failure(
        factory->CreateInstance(nullptr, __uuidof(ITfTextInputProcessor), service.put_void()),
        "the text service");
    if (!service) return 1;
    const auto start = Clock::now();
    const HRESULT hr = service->Activate(document->thread_mgr(), document->service_id());
    run.activation_ms = micros(start, Clock::now()) / 1000;
    report_failure(hr, "service activated");
    if (FAILED(hr)) return 1;
    pump();
    const auto empty = com::make_object<EmptySession>();
    for (int pass = -1; pass < kPasses; ++pass) {
      for (std::size_t k = 0; k < keys.size(); ++k) {
        const auto t0 = Clock::now();
        smoke::press(document->keys(), keys[k].vk);
        const auto t1 = Clock::now();
        pump();
        const auto t2 = Clock::now();
        for (int i = 0; i < 2; ++i) tsf::read_key_down(document->context(), keys[k].vk, 1);
        const auto t3 = Clock::now();
        HRESULT session_result = S_OK;
        const HRESULT asked = document->context()->RequestEditSession(
            document->host_id(), empty.get(), TF_ES_SYNC | TF_ES_READWRITE, &session_result);
        const auto t4 = Clock::now();
        if (FAILED(asked) || FAILED(session_result)) {
          report_failure(FAILED(asked) ? asked : session_result, "an empty edit session");
          return 1;
        }
        if (pass < 0) {
          run.dll_window_keys += candidate_window_shown();
          continue;
        }
        run.samples[kDll][pass][k] = micros(t0, t1);
        run.samples[kDllLoop][pass][k] = micros(t1, t2);
        run.samples[kKeyRead][pass][k] = micros(t2, t3);
        run.samples[kEditSession][pass][k] = micros(t3, t4);
      }
    }
    dll_text = to_utf8(document->text());
    report_failure(service->Deactivate(), "service deactivated");
    pump();
  }

  Engine engine = word_data::load_engine(folder);
  FrontEnd front_end(engine);
  TextDocument doc;
  window::CandidateWindow shown;
  if (!shown.create([](const window::Click&) {})) return 1;
  // At the scale of a 96-dpi screen, Wine's.
  const auto fonts = window::FontSet::create(1.0);
  for (int pass = -1; pass < kPasses; ++pass) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const auto t0 = Clock::now();
      core_press(front_end, doc, keys[k]);
      const auto t1 = Clock::now();
      const SessionView view = front_end.view();
      const bool was_shown = shown.visible();
      if (!view.english && !view.candidates.empty()) {
        shown.show(view.candidates, view.selected, kCaret, view.page, view.page_count);
      } else {
        shown.hide();
      }
      const auto t2 = Clock::now();
      pump();
      const auto t3 = Clock::now();
      if (shown.visible()) {
        gdi::WindowDc dc(shown.handle());
        measure_row(dc.get(), *fonts, view.candidates);
      }
      const auto t4 = Clock::now();
      if (shown.visible() && !was_shown) settings::read_theme_colors();
      const auto t5 = Clock::now();
      if (pass < 0) {
        run.core_window_keys += shown.visible();
        continue;
      }
      run.samples[kCore][pass][k] = micros(t0, t1);
      run.samples[kWindow][pass][k] = micros(t1, t2);
      run.samples[kWindowPaint][pass][k] = micros(t2, t3);
      run.samples[kRowText][pass][k] = micros(t3, t4);
      run.samples[kRowTheme][pass][k] = micros(t4, t5);
    }
  }
  shown.destroy();
  run.same_document = doc.visible() == dll_text && !dll_text.empty();

  std::ostringstream out;
  out << run.activation_ms << ' ' << run.dll_window_keys << ' ' << run.core_window_keys << ' '
      << run.same_document << '\n';
  for (const auto& measure : run.samples) {
    for (const auto& pass : measure) {
      for (const double us : pass) out << us << ' ';
      out << '\n';
    }
  }
  std::error_code ec;
  fs::remove_all(appdata, ec);
  const std::string text = out.str();
  return write_file(result_path, text.data(), text.size()) && run.same_document ? 0 : 1;
}

std::optional<ChildRun> read_run(const fs::path& path, std::size_t keys) {
  std::ifstream in(path);
  ChildRun run;
  if (!(in >> run.activation_ms >> run.dll_window_keys >> run.core_window_keys >>
        run.same_document)) {
    return std::nullopt;
  }
  for (auto& measure : run.samples) {
    measure.assign(kPasses, std::vector<double>(keys));
    for (auto& pass : measure) {
      for (double& us : pass) {
        if (!(in >> us)) return std::nullopt;
      }
    }
  }
  return run;
}

// Runs this program as a child on `folder`; its exit status.
DWORD run_child(const fs::path& folder, const fs::path& script, const fs::path& result) {
  testing::Child child;
  if (!testing::start(child, L"child \"" + folder.wstring() + L"\" \"" + script.wstring() +
                                 L"\" \"" + result.wstring() + L"\"")) {
    return 1;
  }
  return testing::finish(child);
}

// Each key's fastest timed run of every measure, over every process of one folder.
struct Fastest {
  std::vector<double> of[kMeasureCount];
  std::vector<double> activation_ms;
  std::size_t dll_window_keys = 0, core_window_keys = 0;

  void add(const ChildRun& run) {
    for (std::size_t m = 0; m < kMeasureCount; ++m) {
      for (const auto& pass : run.samples[m]) {
        if (of[m].empty()) of[m].assign(pass.size(), 1e300);
        for (std::size_t k = 0; k < pass.size(); ++k) of[m][k] = std::min(of[m][k], pass[k]);
      }
    }
    // The same keys in every process show the same rows.
    if (!activation_ms.empty() &&
        (dll_window_keys != run.dll_window_keys || core_window_keys != run.core_window_keys)) {
      std::printf("note: the processes showed a row after different numbers of keys\n");
    }
    dll_window_keys = run.dll_window_keys;
    core_window_keys = run.core_window_keys;
    activation_ms.push_back(run.activation_ms);
  }
  std::vector<double> rest() const {
    std::vector<double> r(of[0].size());
    for (std::size_t k = 0; k < r.size(); ++k) r[k] = of[kDll][k] - of[kCore][k];
    return r;
  }
};

double mean(const std::vector<double>& v) {
  double sum = 0;
  for (const double x : v) sum += x;
  return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

Json summary(const std::vector<double>& v) {
  return Json()
      .num("p50_us", percentile(v, 0.5))
      .num("p99_us", percentile(v, 0.99))
      .num("mean_us", mean(v));
}

std::string wine_version() {
  using Version = const char*(CDECL*)();
  const auto version = reinterpret_cast<Version>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
  return version ? std::string("Wine ") + version() : "Windows";
}

// The processor as Windows names it, and its threads.
std::string machine_name() {
  wchar_t name[128] = L"unknown CPU";
  DWORD size = sizeof name;
  RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
               L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &size);
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return to_utf8(name) + ", " + std::to_string(info.dwNumberOfProcessors) + " threads";
}

int drive(const fs::path& dll, const fs::path& words_path, const fs::path& out_path,
          std::size_t key_count, int rounds) {
  const auto words_bytes = read_file(words_path);
  auto list = read_data_file(words_bytes);
  auto built = Engine::from_bytes(words_bytes);
  if (!std::holds_alternative<WordList>(list) || !std::holds_alternative<Engine>(built)) {
    std::printf("FAIL: %s is no word data\n", words_path.string().c_str());
    return 1;
  }
  const fs::path root =
      fs::temp_directory_path() / ("sorla-key-path-" + std::to_string(GetCurrentProcessId()));
  const std::map<std::string, fs::path> folders{{"seed", root / "seed"},
                                                {"shipped", root / "shipped"}};
  for (const auto& [name, folder] : folders) {
    fs::create_directories(folder);
    fs::copy_file(dll, folder / "sorla.dll", fs::copy_options::overwrite_existing);
  }
  const auto index = std::get<Engine>(built).index_bytes(words_bytes);
  if (!write_file(folders.at("shipped") / word_data::kFileName, words_bytes.data(),
                  words_bytes.size()) ||
      !write_file(folders.at("shipped") / word_data::kIndexFileName, index.data(), index.size())) {
    return 1;
  }
  const std::string script = typing_script(std::get<WordList>(list), key_count);
  const fs::path script_path = root / "keys.txt";
  write_file(script_path, script.data(), script.size());
  const std::size_t keys = std::get<std::vector<KeyEvent>>(parse_key_script(script)).size();

  std::map<std::string, Fastest> fastest;
  int failures = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const char* name : {"seed", "shipped"}) {
      const fs::path result = root / (std::string(name) + "-" + std::to_string(round) + ".txt");
      const DWORD status = run_child(folders.at(name), script_path, result);
      const auto run = read_run(result, keys);
      if (status != 0 || !run) {
        std::printf(
            "FAIL: %s, round %d: exit status %lu%s\n", name, round + 1,
            static_cast<unsigned long>(status),
            run && !run->same_document ? " (the DLL typed another document than the core)" : "");
        ++failures;
        continue;
      }
      fastest[name].add(*run);
    }
  }
  std::error_code ec;
  fs::remove_all(root, ec);
  if (failures) return 1;

  std::printf(
      "%s, %s; %zu keys, each the fastest of %d passes x %d processes after a warm-up "
      "pass\n",
      machine_name().c_str(), wine_version().c_str(), keys, kPasses, rounds);
  std::printf("%-8s %-13s %10s %10s %10s\n", "words", "us/key", "p50", "p99", "mean");
  Json result;
  result.str("machine", machine_name())
      .str("host", wine_version())
      .str(
          "measure",
          "per key, the fastest of its timed passes in every process. dll: TestKeyDown + KeyDown "
          "+ TestKeyUp + KeyUp through the DLL under Wine's TSF (no composition, no row there); "
          "dll_loop: the message loop after it; core: the FrontEnd alone on an engine opened as "
          "the DLL opens it; window: that core's row shown on a candidate window made from the "
          "DLL's code; window_paint: the message loop after that; key_read: the DLL's reading of a "
          "key down, twice; edit_session: one empty synchronous edit session; row_text and "
          "row_theme: "
          "of the window's update, measuring the row's texts, and reading the theme's colours when "
          "the row appears; "
          "rest: dll - core")
      .num("keys", static_cast<double>(keys))
      .num("passes", kPasses)
      .num("processes_each", rounds);
  for (const auto& [name, f] : fastest) {
    Json part;
    for (std::size_t m = 0; m <= kMeasureCount; ++m) {
      const std::vector<double> v = m < kMeasureCount ? f.of[m] : f.rest();
      const char* label = m < kMeasureCount ? kMeasureNames[m] : "rest";
      std::printf("%-8s %-13s %10.1f %10.1f %10.1f\n", name.c_str(), label, percentile(v, 0.5),
                  percentile(v, 0.99), mean(v));
      part.obj(label, summary(v));
    }
    part.num("activation_ms", percentile(f.activation_ms, 0.5))
        .num("keys_with_dll_window", static_cast<double>(f.dll_window_keys))
        .num("keys_with_core_window", static_cast<double>(f.core_window_keys));
    result.obj(name, part);
  }
  const Fastest& seed = fastest.at("seed");
  const Fastest& shipped = fastest.at("shipped");
  Json difference;
  std::printf("shipped - seed, us/key:     p50      mean\n");
  for (std::size_t m = 0; m <= kMeasureCount; ++m) {
    const std::vector<double> a = m < kMeasureCount ? shipped.of[m] : shipped.rest();
    const std::vector<double> b = m < kMeasureCount ? seed.of[m] : seed.rest();
    const char* label = m < kMeasureCount ? kMeasureNames[m] : "rest";
    const double p50 = percentile(a, 0.5) - percentile(b, 0.5);
    const double avg = mean(a) - mean(b);
    std::printf("  %-24s %8.1f %9.1f\n", label, p50, avg);
    difference.obj(label, Json().num("p50_us", p50).num("mean_us", avg));
  }
  result.obj("shipped_minus_seed", difference);
  std::ofstream(out_path) << result.text() << "\n";
  return 0;
}

}  // namespace
}  // namespace sorla::bench

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int status = 2;
  if (argc == 5 && std::string(argv[1]) == "child") {
    status = sorla::bench::child(argv[2], argv[3], argv[4]);
  } else if (argc >= 4 && argc <= 6) {
    const std::size_t keys = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 500;
    const int rounds = argc > 5 ? std::atoi(argv[5]) : 2;
    status = sorla::bench::drive(argv[1], argv[2], argv[3], keys, std::max(1, rounds));
  } else {
    std::fprintf(stderr, "usage: key_path_bench SORLA.DLL WORDS.srla OUT.json [KEYS [ROUNDS]]\n");
  }
  CoUninitialize();
  return status;
}
