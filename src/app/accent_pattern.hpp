// Accents: the level of each beat of the measure, the groupings of odd meters, and the count
// word each beat gets when counting follows the groups. Nothing here plays or speaks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::app {

// From quiet to loud; the values are the digits of the stored form.
enum class Accent : uint8_t {
  kSilent = 0,  // nothing plays
  kSoft = 1,    // the other-beat sound, quieter
  kNormal = 2,  // the other-beat sound
  kMedium = 3,  // the first-beat sound, quieter (the start of a later group)
  kStrong = 4,  // the first-beat sound
};

constexpr int kMaxAccentBeats = 9;

// One level for each beat of a measure of `beats` (1..9); beats past the measure are unused.
struct AccentPattern {
  int beats = 0;
  std::array<Accent, kMaxAccentBeats> level{};

  bool operator==(const AccentPattern&) const = default;
};

// What plays today: the first beat strong, the others normal (0 or fewer beats: one strong).
AccentPattern DefaultPattern(int beats);
bool IsDefault(const AccentPattern& pattern);

// The stored form: one digit (0..4) a beat, e.g. "4232322".
std::string PatternText(const AccentPattern& pattern);
// The pattern of a stored form for a measure of `beats`; nothing when the text is not one
// digit 0..4 for each beat.
std::optional<AccentPattern> ParsePattern(std::string_view text, int beats);

// The groupings a measure can take (groups of 2, 3 or 4 beats adding up to it, the common
// ones first); empty for a measure that has none (1..4).
std::vector<std::vector<int>> GroupingsOf(int beats);
// The pattern of a grouping: the first beat strong, the first beat of each later group medium,
// the others normal.
AccentPattern GroupedPattern(const std::vector<int>& groups);
// The grouping whose pattern `pattern` is; nothing when it is no grouping's.
std::optional<std::vector<int>> GroupingOf(const AccentPattern& pattern);

// The number said on beat `beat` (1-based) when counting follows the groups: its place in its
// group ("um, dois, um, dois, um, dois, três" for 2+2+3).
int GroupCount(const AccentPattern& pattern, int beat);

}  // namespace cadencio::app
