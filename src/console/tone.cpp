// Square-wave tones for the braille mode beeps.
#include "console/tone.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "audio/wav_loader.hpp"
#include "formats/riff_reader.hpp"

namespace cadencio::console {

namespace {

constexpr int kToneBufferBytes = 11071;
constexpr int kRate = 11025;
constexpr uint8_t kLow = 96;
constexpr uint8_t kHigh = 160;
constexpr uint8_t kSilence = 128;

}  // namespace

std::vector<uint8_t> BuildToneWave(uint16_t frequency) {
  if (frequency == 0) return {};
  std::vector<uint8_t> buffer(kToneBufferBytes, kSilence);
  const int f = frequency;
  const int period = kRate / f;
  // Each period starts at 44 + floor(j * 11025 / f), so the pitch stays exact over the second
  // although periods are whole samples; the data ends at the first start past 11025 - period.
  int p = 44;
  for (int64_t j = 0; p <= kRate - period; ++j) {
    p = static_cast<int>(44 + (j * kRate) / f);
  }
  // Sample i lies at ((i + 1) * f - 1) mod 11025 within its period: low in the first half,
  // high in the second. The two levels so take equal time and the tone has no steady offset
  // (whole-sample halves gave the odd sample to the high level in every period).
  for (int i = 0; i < p - 44; ++i) {
    const int64_t phase = (int64_t{i + 1} * f - 1) % kRate;
    buffer[44 + i] = 2 * phase < kRate ? kLow : kHigh;
  }
  buffer[p - 1] = kSilence;
  const uint32_t data_size = static_cast<uint32_t>(p - 44);
  buffer.resize(p);
  formats::BuildWavHeader(buffer, data_size, kRate, 1, 8);
  return buffer;
}

namespace {

// The sound of a tone at the mixer's rate, `frames` long (0: the whole tone buffer). Program
// thread only; never freed (see MixerTonePlayer).
const audio::Sound& ToneSound(uint16_t frequency, int rate, int64_t frames) {
  using Key = std::tuple<uint16_t, int, int64_t>;
  static auto* const sounds = new std::map<Key, std::unique_ptr<audio::Sound>>;
  auto& sound = (*sounds)[{frequency, rate, frames}];
  if (!sound) {
    sound = std::make_unique<audio::Sound>();
    sound->name = "tone " + std::to_string(frequency) + " Hz";
    if (auto pcm = audio::ParsePcmWav(BuildToneWave(frequency))) {
      sound->samples = audio::ConvertToStereoFloat(*pcm, rate);
    }
    if (frames > 0 && sound->FrameCount() > frames) sound->samples.resize(frames * 2);
  }
  return *sound;
}

}  // namespace

void MixerTonePlayer::StartTone(uint16_t frequency) {
  if (playing_) StopTone();
  const audio::Sound& sound = ToneSound(frequency, mixer_.SampleRate(), 0);
  if (sound.samples.empty()) return;
  mixer_.StartLoop(&sound);
  playing_ = true;
}

void MixerTonePlayer::Beep() {
  constexpr uint16_t kBeepHz = 800;
  constexpr int kBeepMs = 120;
  const audio::Sound& sound =
      ToneSound(kBeepHz, mixer_.SampleRate(), int64_t{mixer_.SampleRate()} * kBeepMs / 1000);
  if (sound.samples.empty()) return;
  mixer_.StartBeat(&sound, 0);
  playing_ = false;
}

void MixerTonePlayer::StopTone() {
  if (!playing_) return;
  mixer_.StopBeat();
  playing_ = false;
}

}  // namespace cadencio::console
