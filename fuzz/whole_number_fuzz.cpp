// libFuzzer target for the whole-number parser that reads typed tempos and every number of the
// settings and data files: its answer must be that of a plain digit-by-digit reading (one
// optional sign, then only digits, within int), and the value it gives must print back to the
// same digits. The clamped form gives the same, and the nearest end of int for a number beyond.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "base/whole_number.hpp"

namespace {

// The value of a sign and digits, held just past int when it is beyond.
std::optional<long long> DigitByDigit(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    // Past what int holds the value stays just past it, however many digits follow.
    value = std::min(value * 10 + (c - '0'), static_cast<long long>(INT_MAX) + 2);
  }
  return negative ? -value : value;
}

std::optional<int> Expected(std::string_view text) {
  const std::optional<long long> value = DigitByDigit(text);
  if (!value || *value < INT_MIN || *value > INT_MAX) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<int> ExpectedClamped(std::string_view text) {
  const std::optional<long long> value = DigitByDigit(text);
  if (!value) return std::nullopt;
  return static_cast<int>(std::clamp<long long>(*value, INT_MIN, INT_MAX));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<int> value = cadencio::base::ParseWholeNumber(text);
  if (value != Expected(text)) std::abort();
  if (cadencio::base::ParseWholeNumberClamped(text) != ExpectedClamped(text)) std::abort();
  if (value && cadencio::base::ParseWholeNumber(std::to_string(*value)) != value) std::abort();
  return 0;
}
