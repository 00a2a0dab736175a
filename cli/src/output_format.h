// How the tool writes numbers and strings: floats so that the float32 value
// reads back exactly, strings as JSON.
#pragma once

#include <string>
#include <string_view>

namespace sorla::cli {

// Nine significant digits ("%.9g"), enough for any float32 to round-trip;
// a value that is not finite has no JSON form and is written as null.
std::string json_float(float value);

// The shortest text that reads back as the same float32, for people.
std::string plain_float(float value);

// A JSON string literal of valid UTF-8 text.
std::string json_string(std::string_view text);

}  // namespace sorla::cli
