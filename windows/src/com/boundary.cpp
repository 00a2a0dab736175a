#include "com/boundary.h"

#include <cstdlib>

namespace sorla::com {

void fatal() noexcept { std::abort(); }

}  // namespace sorla::com
