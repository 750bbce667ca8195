// The words that count the beats aloud, "um" to "nove" (and a song map's measures, on to its
// longest section's last). They are rendered once by the voice the user hears (recorded,
// espeak-ng or the built-in TTS, at the current speed or the normal one when that is faster)
// into sounds of the beat channel's bank, trimmed so that each starts with its first sound and
// can be placed on its beat's frame, each long enough to be heard as a word and all at one
// level. A voice whose sound does not pass through the program (the speech service) leaves the
// count recordings of the prompt directory.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "audio/beat_channel.hpp"
#include "audio/beat_pattern.hpp"
#include "audio/wave_out/wave_out_recorder.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// Beats per measure that have a count word.
constexpr int kCountWords = 9;

class CountWords {
 public:
  // Renders the words when they are not yet rendered at the voice's current speed; without a
  // recorder, or while the voice cannot be recorded, the recordings take their place. A key that
  // cuts the rendering leaves the recordings until the next call. `rate` is the stream's.
  void Prepare(console::Console& console, speech::SpeechFrontEnd& speech,
               audio::WaveOutRecorder* recorder, audio::BeatChannel& beats, int rate);
  // The words that count measures past the ninth ("10" as the voice says it), from the tenth
  // to `last` (at most audio::kMaxMeasureWords), rendered like the others when not yet rendered
  // at the voice's current speed; none without a recorder (the recordings stop at nine).
  void PrepareMeasures(console::Console& console, speech::SpeechFrontEnd& speech,
                       audio::WaveOutRecorder* recorder, audio::BeatChannel& beats, int rate,
                       int last);
  // The word of beat `n` (1-based), or null when there is none.
  const audio::Sound* Word(int n) const;
  // The word of measure `n` (1-based): the beat's words up to nine, then the measures'.
  const audio::Sound* MeasureNumber(int n) const;
  // The speech speed of the last Prepare (0 before any).
  int PreparedSpeed() const { return prepared_speed_; }

 private:
  std::array<const audio::Sound*, kCountWords> words_{};
  std::array<const audio::Sound*, audio::kMaxMeasureWords - kCountWords> measure_words_{};
  int measures_speed_ = 0;  // the speed the measures' words were rendered at
  bool rendered_ = false;
  int prepared_speed_ = 0;
};

// The word that counts beat `n` (1 to kCountWords), as the voice is given it (Windows-1252).
const char* CountWordText(int n);

// What `say` makes the voice say, rendered into stereo float at `rate` instead of being heard;
// what the voice was still saying ends first, so that none of it is taken in.
std::vector<float> RenderSaid(speech::SpeechFrontEnd& speech, audio::WaveOutRecorder& recorder,
                              const std::function<void()>& say, int rate);

// A rendered word (stereo float at `rate`) without its silences: from the first frame whose
// level reaches 1/64 of the word's peak to the last one, faded out over its last 2 ms. Empty
// when the word is silent.
audio::Sound TrimmedWord(const std::vector<float>& samples, int rate);

// A word's level: the RMS of its samples in dB of full scale (-200 when silent).
double WordLevelDb(const audio::Sound& word);
// Brings a word to the count words' common level, or as near as its peak allows.
void LevelWord(audio::Sound& word);

}  // namespace cadencio::app
