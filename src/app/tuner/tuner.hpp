// The tuner's judgement, apart from any device: it hears captured samples with the time at
// which they were heard, decides when a note is steady, measures how far it is from the
// nearest note and says when an answer is due. Time comes in as an argument, so tests run on
// virtual time.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/tuner/pitch_detector.hpp"

namespace cadencio::app {

class Tuner {
 public:
  // How long a note must hold before it is answered, how long a note may falter before it is
  // taken as ended, and how long without a note before "Nenhuma nota" is said.
  static constexpr int64_t kSteadyMs = 450;
  static constexpr int64_t kLostMs = 120;
  static constexpr int64_t kNoNoteMs = 5000;
  // An answer is repeated for the same note only when the whole cents moved by this much.
  static constexpr int kRespeakCents = 3;
  // Within this many cents a note is in tune.
  static constexpr int kInTuneCents = 3;

  Tuner(int sample_rate, int64_t start_ms);

  // Takes the samples captured since the last call; the last of them was heard at `now_ms`.
  // However many there are, they are judged as if heard live.
  void Hear(const std::vector<float>& samples, int64_t now_ms);

  // What to say now, or nothing. `voice_busy` tells that a word is still being said: then
  // nothing is answered, and an answer that is due stays due, even for a note that ends before
  // the voice does. Saying it is the caller's.
  struct Spoken {
    std::string text;      // the answer for a note ("Lá, 12 acima"); empty for no_note
    bool no_note = false;  // 5 s went by without a note: said once
  };
  std::optional<Spoken> Answer(int64_t now_ms, bool voice_busy);
  // The steady note is answered again at the next chance (when words come back after ticks).
  void AnswerAgain() { spoken_run_ = -1; }

  // The steady note and its distance in cents (measured, not rounded), while one sounds.
  struct Reading {
    int midi;
    double cents;
  };
  std::optional<Reading> Current();

 private:
  void HearPiece(std::span<const float> samples, int64_t now_ms);
  void TakeFrame(const app::PitchFrame& frame, int64_t at_ms);
  bool Steady() const;
  void Measure();

  int rate_;
  app::PitchDetector detector_;
  std::vector<app::PitchFrame> frames_;
  std::deque<float> recent_;  // the last second of samples
  int64_t now_ms_;

  // The note being followed: its latest detected frequency, when it began, when it last
  // matched, and a serial number per note.
  bool following_ = false;
  double follow_hz_ = 0;
  int64_t run_start_ms_ = 0;
  int64_t last_match_ms_ = 0;
  int run_id_ = 0;

  // The last measure of the steady note.
  std::optional<Reading> reading_;
  bool stable_ = false;  // the measure holds over its whole window
  int held_run_ = -1;    // the note whose name the reading keeps
  int64_t measured_at_ms_ = -1;

  // The latest steady measure not yet said: of which note, and its whole cents.
  struct Due {
    int run;
    int midi;
    int cents;
  };
  std::optional<Due> due_;

  // What was last said of a note, and the silence before "Nenhuma nota".
  int spoken_run_ = -1;
  int spoken_midi_ = -1;
  int spoken_cents_ = 0;
  int64_t quiet_since_ms_;
  bool said_no_note_ = false;
};

// The spoken answer: "Lá, 12 acima", "Mi, 7 abaixo", "Ré, afinado".
std::string AnswerText(int midi, int whole_cents);

}  // namespace cadencio::app
