// The two normalizations under which typed and stored spellings are compared.
#pragma once

#include <string>
#include <string_view>

namespace sorla {

// The ASCII letters of `text`, lower-cased; everything else dropped.
std::string letters(std::string_view text);

// `letters`, then the digraph folding table (chh kh ch ph th nh ny ng j w).
std::string fold(std::string_view text);

}  // namespace sorla
