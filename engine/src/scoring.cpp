#include "scoring.h"

#include <cmath>

namespace sorla {

float ln(float x) { return static_cast<float>(std::log(static_cast<double>(x))); }

}  // namespace sorla
