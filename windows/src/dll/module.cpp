#include "dll/module.h"

#include <atomic>

namespace sorla::dll {
namespace {
std::atomic<HINSTANCE> g_module{nullptr};
}  // namespace

void set_module(HINSTANCE module) noexcept { g_module.store(module); }

HINSTANCE module() noexcept { return g_module.load(); }

}  // namespace sorla::dll
