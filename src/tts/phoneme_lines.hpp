// The uttsProsodia module, second half: turns the phoneme list of the letter-to-phoneme stage
// into MBROLA lines, one phoneme per line with its duration in milliseconds and up to one
// pitch point, lengthening the stressed part of each word, shortening long words before their
// stress, and putting a short filler where the voice lacks a diphone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tts/diphone_list.hpp"
#include "tts/letter_rules.hpp"
#include "tts/prosody.hpp"

namespace cadencio::tts {

// Base duration of a phoneme or pause name; 100 ms when the table lacks it.
int PhonemeDuration(const ProsodyTables& tables, std::string_view phoneme);

// Builds the MBROLA lines of utterances. The phoneme of the last line of one utterance is
// remembered for the next, as the filler rule sees it.
class PhonemeLineBuilder {
 public:
  PhonemeLineBuilder(const ProsodyTables& tables, const DiphoneList& diphones)
      : tables_(tables), diphones_(diphones) {}

  std::vector<std::string> BuildPhonemeLines(const std::vector<std::string>& phonemes,
                                             double pitch_factor, double duration_factor);

 private:
  // The pitch point of the line being built ("position pitch"), or empty; moves the word state.
  std::string PitchPoints(bool last_of_word);
  // The pitch point of the code's level `level_index` at `position` % of the phoneme, or
  // nothing when that level has no pitch.
  std::string Point(const char* position, std::size_t level_index) const;
  // Appends "_ 50" or "y 50" to `out` when the voice cannot join the previous phoneme to the
  // current one.
  void FillDiphoneGap(const std::string& line, std::vector<std::string>& out);
  // The MBROLA line of a phoneme or pause line.
  std::string SoundLine(std::string line, bool last_of_word);

  const ProsodyTables& tables_;
  const DiphoneList& diphones_;
  double pitch_factor_ = 1.0;
  double duration_factor_ = 1.0;
  int stress_factor_ = 100;  // F: 145 from the stressed phoneme on
  int word_state_ = 0;       // S: 0 word start, 1 first point given, 2 stressed, 3 after
  std::string code_ = kDefaultProsodyCode;
  std::size_t word_length_ = 0;  // L: token length + 1
  std::string previous_ = "_";
  std::string current_;
};

}  // namespace cadencio::tts
