// One line of the MBROLA phoneme format: a comment beginning with ';', a flush command '#', or
// a phone name, its duration in milliseconds and any number of pitch points (position in
// percent of the phone, pitch in Hz), separated by blanks or tabs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadencio::synth {

struct PitchPoint {
  double percent = 0;  // 0 .. 100, where in the phone
  double hz = 0;
};

struct PhoneLine {
  std::string name;
  double duration_ms = 0;
  std::vector<PitchPoint> points;
};

enum class LineKind { kEmpty, kComment, kFlush, kPhone, kBad };

struct ParsedLine {
  LineKind kind = LineKind::kEmpty;
  PhoneLine phone;    // for kPhone
  std::string error;  // for kBad: what is wrong
};

// Longest duration a line may ask for, so that a bad value cannot demand minutes of samples.
constexpr double kMaxPhoneMs = 60000;

// Parses one line (without its line end; a trailing CR is ignored). A line is bad when the
// duration is missing, not a number, negative or above kMaxPhoneMs, when a pitch point lacks its
// pitch or is not a number, or when a pitch is not above 0 or above 2000 Hz. Positions outside
// 0 .. 100 are moved to the nearer end.
ParsedLine ParsePhonemeLine(std::string_view line);

}  // namespace cadencio::synth
