// The DLL-wide count of live COM objects and server locks; the DLL may be
// unloaded only while it is zero.
#pragma once

#include <cstdint>

namespace sorla::com {

void add_to_object_count(std::int64_t delta) noexcept;
std::int64_t object_count() noexcept;

}  // namespace sorla::com
