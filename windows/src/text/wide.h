// Text inside the system is UTF-8; Win32 and TSF take UTF-16. These convert
// at that boundary.
#pragma once

#include <string>
#include <string_view>

namespace sorla {

std::wstring to_wide(std::string_view utf8);
std::string to_utf8(std::wstring_view wide);

}  // namespace sorla
