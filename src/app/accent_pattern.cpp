// Accent patterns and the groupings of odd meters.
#include "app/accent_pattern.hpp"

#include <algorithm>
#include <numeric>

namespace cadencio::app {

namespace {

bool Accented(Accent level) {
  return level == Accent::kStrong || level == Accent::kMedium;
}

}  // namespace

AccentPattern DefaultPattern(int beats) {
  AccentPattern pattern;
  pattern.beats = std::clamp(beats, 1, kMaxAccentBeats);
  pattern.level.fill(Accent::kNormal);
  pattern.level[0] = Accent::kStrong;
  return pattern;
}

bool IsDefault(const AccentPattern& pattern) {
  return pattern == DefaultPattern(pattern.beats);
}

std::string PatternText(const AccentPattern& pattern) {
  std::string text;
  for (int i = 0; i < pattern.beats; ++i) {
    text += static_cast<char>('0' + static_cast<int>(pattern.level[i]));
  }
  return text;
}

std::optional<AccentPattern> ParsePattern(std::string_view text, int beats) {
  if (beats < 1 || beats > kMaxAccentBeats || static_cast<int>(text.size()) != beats) {
    return std::nullopt;
  }
  AccentPattern pattern = DefaultPattern(beats);
  for (int i = 0; i < beats; ++i) {
    if (text[i] < '0' || text[i] > '4') return std::nullopt;
    pattern.level[i] = static_cast<Accent>(text[i] - '0');
  }
  return pattern;
}

std::vector<std::vector<int>> GroupingsOf(int beats) {
  switch (beats) {
    case 5:
      return {{2, 3}, {3, 2}};
    case 6:
      return {{3, 3}, {2, 2, 2}};
    case 7:
      return {{2, 2, 3}, {3, 2, 2}, {2, 3, 2}, {4, 3}, {3, 4}};
    case 8:
      return {{3, 3, 2}, {3, 2, 3}, {2, 3, 3}, {4, 4}};
    case 9:
      return {{2, 2, 2, 3}, {3, 3, 3}, {2, 2, 3, 2}, {3, 2, 2, 2}};
    default:
      return {};
  }
}

AccentPattern GroupedPattern(const std::vector<int>& groups) {
  AccentPattern pattern = DefaultPattern(std::accumulate(groups.begin(), groups.end(), 0));
  int start = 0;
  for (int size : groups) {
    if (start > 0 && start < pattern.beats) pattern.level[start] = Accent::kMedium;
    start += size;
  }
  return pattern;
}

std::optional<std::vector<int>> GroupingOf(const AccentPattern& pattern) {
  for (const std::vector<int>& groups : GroupingsOf(pattern.beats)) {
    if (GroupedPattern(groups) == pattern) return groups;
  }
  return std::nullopt;
}

int GroupCount(const AccentPattern& pattern, int beat) {
  int count = 0;
  for (int i = 0; i < std::min(beat, pattern.beats); ++i) {
    count = (i == 0 || Accented(pattern.level[i])) ? 1 : count + 1;
  }
  return beat > pattern.beats ? beat : count;
}

}  // namespace cadencio::app
