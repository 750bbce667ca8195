// Whole decimal numbers: std::from_chars, after the one leading '+' it does not take itself.
#include "base/whole_number.hpp"

#include <charconv>
#include <limits>

namespace cadencio::base {

std::optional<int> ParseWholeNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;  // one sign only
  }
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<int> ParseWholeNumberClamped(std::string_view text) {
  if (const std::optional<int> value = ParseWholeNumber(text)) return value;
  // Not a whole number within int: one beyond it still has a sign and digits only.
  const bool negative = text.starts_with('-');
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
}

}  // namespace cadencio::base
