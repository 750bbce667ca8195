// Durations, pitch points and diphone fillers of the MBROLA lines.
#include "tts/phoneme_lines.hpp"

#include <cmath>
#include <cstdint>

#include "base/whole_number.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

// trunc(a x b x c) div 100: the product in floating point with its fraction dropped, then the
// integer division.
int64_t ScaledDiv100(double a, double b, double c) {
  const double product = std::trunc(a * b * c);
  if (!(std::fabs(product) < 9.0e18)) return 0;  // a factor out of any sane range
  return static_cast<int64_t>(product) / 100;
}

bool IsCommentLine(const std::string& line) {
  return line.size() >= 5 && line[0] == ';' && line[4] == '|';
}

}  // namespace

int PhonemeDuration(const ProsodyTables& tables, std::string_view phoneme) {
  for (const DurationEntry& entry : tables.durations) {
    if (entry.phoneme == phoneme) return entry.duration;
  }
  return 100;
}

std::string PhonemeLineBuilder::Point(const char* position, std::size_t level_index) const {
  const char level = code_.size() > level_index ? code_[level_index] : ' ';
  if (level < '0' || level > '9') return {};
  const int percent = tables_.pitch_levels[level - '0'];
  if (percent == 0) return {};
  const int64_t pitch = ScaledDiv100(percent, pitch_factor_, tables_.base_pitch);
  return std::string(position) + " " + std::to_string(pitch);
}

std::string PhonemeLineBuilder::PitchPoints(bool last_of_word) {
  switch (word_state_) {
    case 0:
      word_state_ = 1;
      return Point("50", 0);
    case 2: {
      word_state_ = 3;
      if (!last_of_word) return Point("80", 1);
      // A word that ends on its stressed vowel (amanhã, bom, você) has no sound after it to
      // carry the word's last level: the vowel reaches its level early and moves on to the
      // last one, so a statement falls and a question rises on the word itself.
      const std::string stressed = Point("30", 1);
      const std::string last = Point("90", 2);
      if (stressed.empty() || last.empty()) return stressed.empty() ? last : stressed;
      return stressed + " " + last;
    }
    case 3:
      return last_of_word ? Point("50", 2) : std::string();
    default:
      return {};
  }
}

void PhonemeLineBuilder::FillDiphoneGap(const std::string& line, std::vector<std::string>& out) {
  if (current_.empty()) return;
  if (!diphones_.Has(previous_, current_)) {
    if (previous_ == "r2" && diphones_.Has("r2", "_")) {
      out.emplace_back("_ 50");
    } else {
      out.emplace_back(diphones_.Has(previous_, "y") ? "y 50" : "_ 50");
    }
  }
  if (!line.empty()) previous_ = current_;
}

std::string PhonemeLineBuilder::SoundLine(std::string line, bool last_of_word) {
  // 1. The stress mark lengthens this phoneme and the rest of the word; the byte 168 ends that.
  if (line.front() == kStressMark) {
    stress_factor_ = 145;
    line.erase(0, 1);
    if (!line.empty() && line.front() == kPlainMark) line.erase(0, 1);
    word_state_ = 2;
  } else if (line.front() == kPlainMark) {
    line.erase(0, 1);
    stress_factor_ = 100;
  }
  int64_t base = 0;
  if (!line.empty() && line.front() == '_') {
    // 2. A pause: its own duration ("_ 80"), or the table's for its name ("__", "_,").
    if (line == "_") line = "_ 100";
    if (line.size() > 1 && line[1] == ' ') {
      base = base::ParseWholeNumber(base::TrimBlanksAndControls(std::string_view(line).substr(2)))
                 .value_or(100);
    } else {
      base = PhonemeDuration(tables_, line);
    }
    line = '_';
  } else {
    // 3. A phoneme; long words are said quicker up to their stressed vowel.
    base = PhonemeDuration(tables_, line);
    if (word_state_ < 2) {
      if (word_length_ > 13) {
        base = base * 80 / 100;
      } else if (word_length_ > 9) {
        base = base * 90 / 100;
      }
    }
  }
  current_ = line;  // 4.
  const int64_t duration =
      ScaledDiv100(static_cast<double>(base), stress_factor_, duration_factor_);  // 5.
  std::string sound = line + " " + std::to_string(duration);
  const std::string point = PitchPoints(last_of_word);
  if (!point.empty()) sound += " " + point;
  return sound;
}

std::vector<std::string> PhonemeLineBuilder::BuildPhonemeLines(
    const std::vector<std::string>& phonemes, double pitch_factor, double duration_factor) {
  pitch_factor_ = pitch_factor;
  duration_factor_ = duration_factor;
  previous_ = '_';
  std::vector<std::string> out;
  out.reserve(phonemes.size() + phonemes.size() / 8);
  for (std::size_t i = 0; i < phonemes.size(); ++i) {
    const bool last_of_word = i + 1 == phonemes.size() || phonemes[i + 1].empty();
    std::string line = phonemes[i];
    if (line.empty()) {
      stress_factor_ = 100;
      current_.clear();
    } else if (IsCommentLine(line)) {
      code_ = line.substr(1, 3);
      line.erase(1, 4);
      word_length_ = line.size();
      word_state_ = 0;
    } else {
      line = SoundLine(std::move(line), last_of_word);
    }
    FillDiphoneGap(line, out);
    out.push_back(std::move(line));
  }
  return out;
}

}  // namespace cadencio::tts
