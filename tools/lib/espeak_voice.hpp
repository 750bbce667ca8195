// The voice the sound-data generators speak with: libespeak-ng in synchronous mode, Brazilian
// Portuguese, rendering a text (or espeak-ng phonemes in [[...]]) into 16-bit samples together
// with the sample position of every phoneme, so that a rendering can be cut between phonemes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cadencio::voicegen {

// One phoneme of a rendering: its espeak-ng mnemonic and the sample where it begins.
struct PhonemeMark {
  std::string phoneme;
  std::size_t sample = 0;
};

struct Rendering {
  std::vector<int16_t> samples;  // mono, at EspeakVoice::SampleRate()
  std::vector<PhonemeMark> phonemes;
};

// Owns the process's one espeak-ng instance (the library keeps global state): at most one
// object may exist at a time.
class EspeakVoice {
 public:
  // Starts espeak-ng with its installed data and selects `voice` ("pt-br"). Ok() tells whether
  // that worked; Error() says why not.
  explicit EspeakVoice(const std::string& voice);
  ~EspeakVoice();
  EspeakVoice(const EspeakVoice&) = delete;
  EspeakVoice& operator=(const EspeakVoice&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Error() const { return error_; }
  int SampleRate() const { return sample_rate_; }

  // Speaking rate in words per minute (espeak-ng's own default is 175).
  void SetRate(int words_per_minute);
  // Base pitch, 0 to 100 (kNormalPitch is the voice's own).
  static constexpr int kNormalPitch = 50;
  void SetPitch(int pitch);

  // Renders UTF-8 text; "[[...]]" in it is taken as phoneme input. Empty on failure.
  Rendering Render(const std::string& utf8_text);

 private:
  bool ok_ = false;
  std::string error_;
  int sample_rate_ = 0;
};

}  // namespace cadencio::voicegen
