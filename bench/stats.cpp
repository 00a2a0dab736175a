#include "stats.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace sorla::bench {
namespace {

// RapidJSON's writer with the numbers rounded to three decimals and written
// in their shortest fixed form ("18", "95.133"); JSON has no NaN or infinity,
// so those are null.
class Writer : public rapidjson::Writer<rapidjson::StringBuffer> {
 public:
  using rapidjson::Writer<rapidjson::StringBuffer>::Writer;

  bool Double(double value) {
    if (!std::isfinite(value)) return Null();
    char text[400];  // the largest double in fixed form with three decimals
    const auto fixed =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 3);
    double rounded = 0;
    std::from_chars(text, fixed.ptr, rounded);
    const auto shortest =
        std::to_chars(std::begin(text), std::end(text), rounded, std::chars_format::fixed);
    return RawValue(text, static_cast<std::size_t>(shortest.ptr - text), rapidjson::kNumberType);
  }
};

}  // namespace

double percentile(std::vector<double> sample, double q) {
  if (sample.empty()) return 0;
  std::sort(sample.begin(), sample.end());
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sample.size())));
  return sample[std::min(sample.size() - 1, rank == 0 ? 0 : rank - 1)];
}

Json::Json() { doc_.SetObject(); }

Json::Json(const Json& other) { doc_.CopyFrom(other.doc_, doc_.GetAllocator()); }

Json& Json::operator=(const Json& other) {
  if (this != &other) doc_.CopyFrom(other.doc_, doc_.GetAllocator());
  return *this;
}

rapidjson::Value Json::string(const std::string& text) {
  return rapidjson::Value(text.data(), static_cast<rapidjson::SizeType>(text.size()),
                          doc_.GetAllocator());
}

Json& Json::num(const std::string& key, double value) {
  doc_.AddMember(string(key), rapidjson::Value(value), doc_.GetAllocator());
  return *this;
}

Json& Json::str(const std::string& key, const std::string& value) {
  doc_.AddMember(string(key), string(value), doc_.GetAllocator());
  return *this;
}

Json& Json::obj(const std::string& key, const Json& value) {
  doc_.AddMember(string(key), rapidjson::Value(value.doc_, doc_.GetAllocator()),
                 doc_.GetAllocator());
  return *this;
}

std::string Json::text() const {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  doc_.Accept(writer);
  return {buffer.GetString(), buffer.GetSize()};
}

}  // namespace sorla::bench
