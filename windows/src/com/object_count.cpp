#include "com/object_count.h"

#include <atomic>

namespace sorla::com {
namespace {
// Objects may be released on other threads than DllCanUnloadNow reads it.
std::atomic<std::int64_t> g_object_count{0};
}  // namespace

void add_to_object_count(std::int64_t delta) noexcept { g_object_count.fetch_add(delta); }

std::int64_t object_count() noexcept { return g_object_count.load(); }

}  // namespace sorla::com
