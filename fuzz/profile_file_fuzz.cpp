// libFuzzer target for the profile (INI) reader and editor. The input is a section name, a key
// and a value, each ending at a line feed, followed by the profile text. Lookups must not crash,
// and a value written must read back as written (cut at its line break, without the blanks and
// the quotes that reading removes).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/profile_text.hpp"

namespace {

std::string_view TakeLine(std::string_view& input) {
  std::size_t nl = input.find('\n');
  std::string_view line = input.substr(0, nl);
  input.remove_prefix(nl == std::string_view::npos ? input.size() : nl + 1);
  return line;
}

std::string ExpectedReadBack(std::string_view value) {
  value = value.substr(0, std::min(value.find('\r'), value.find('\n')));
  std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  value = value.substr(first, value.find_last_not_of(" \t") - first + 1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace cadencio::files;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view section = TakeLine(input);
  std::string_view key = TakeLine(input);
  std::string_view value = TakeLine(input);
  std::string_view text = input;

  (void)FindProfileValue(text, section, key);
  (void)ListProfileSection(text, section);

  std::optional<std::string> updated =
      UpdateProfileText(text, section, {{std::string(key), std::string(value)}});
  if (!updated) return 0;
  std::optional<std::string> read_back = FindProfileValue(*updated, section, key);
  if (!read_back || *read_back != ExpectedReadBack(value)) std::abort();
  return 0;
}
