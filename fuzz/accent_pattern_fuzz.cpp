// libFuzzer target for the stored accent pattern (the ACENTOS setting and the set list's accent
// field). The first byte gives the measure (-1 to 10 beats), the rest is the stored text. A
// pattern is read exactly when the text is one digit 0..4 for each beat of a measure of 1..9,
// and writes back as the same text; its count words, and those of every grouping of the
// measure, start each group at one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <string_view>
#include <vector>

#include "app/accent_pattern.hpp"

namespace {

using namespace cadencio::app;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsStoredForm(std::string_view text, int beats) {
  if (beats < 1 || beats > kMaxAccentBeats || static_cast<int>(text.size()) != beats) return false;
  for (const char c : text) {
    if (c < '0' || c > '4') return false;
  }
  return true;
}

// Every beat counts one more than the one before, or one again; past the measure, its number.
void CheckCounts(const AccentPattern& pattern) {
  int previous = 0;
  for (int beat = 1; beat <= pattern.beats; ++beat) {
    const int count = GroupCount(pattern, beat);
    Check(count == 1 || count == previous + 1);
    previous = count;
  }
  Check(GroupCount(pattern, pattern.beats + 1) == pattern.beats + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int beats = data[0] % 12 - 1;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::optional<AccentPattern> pattern = ParsePattern(text, beats);
  Check(pattern.has_value() == IsStoredForm(text, beats));
  if (pattern) {
    Check(pattern->beats == beats && PatternText(*pattern) == text);
    CheckCounts(*pattern);
  }
  for (const std::vector<int>& groups : GroupingsOf(beats)) {
    Check(std::accumulate(groups.begin(), groups.end(), 0) == beats);
    const AccentPattern grouped = GroupedPattern(groups);
    Check(grouped.beats == beats && ParsePattern(PatternText(grouped), beats) == grouped);
    CheckCounts(grouped);
    int start = 1;
    for (const int group : groups) {
      Check(GroupCount(grouped, start) == 1);
      start += group;
    }
  }
  return 0;
}
