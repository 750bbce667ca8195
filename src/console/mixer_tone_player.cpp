// Square-wave tones for the braille mode beeps, played on the mixer.
#include "console/mixer_tone_player.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "audio/sound.hpp"
#include "audio/wav_loader.hpp"

namespace cadencio::console {

namespace {

constexpr int kRate = 11025;
// Periods start within the first 10981 samples (just under a second); the buffer has room for
// one more period after the last start.
constexpr int kPeriodRoom = 10981;
constexpr int kToneBufferSamples = 11027;
constexpr uint8_t kLow = 96;
constexpr uint8_t kHigh = 160;
constexpr uint8_t kSilence = 128;

}  // namespace

std::vector<uint8_t> BuildToneSamples(uint16_t frequency) {
  if (frequency == 0) return {};
  std::vector<uint8_t> samples(kToneBufferSamples, kSilence);
  const int f = frequency;
  const int period = kRate / f;
  // Each period starts at floor(j * 11025 / f), so the pitch stays exact over the second
  // although periods are whole samples; the tone ends at the first start past the room left
  // for a whole period.
  int p = 0;
  for (int64_t j = 0; p <= kPeriodRoom - period; ++j) p = static_cast<int>((j * kRate) / f);
  // Sample i lies at ((i + 1) * f - 1) mod 11025 within its period: low in the first half,
  // high in the second. The two levels so take equal time and the tone has no steady offset
  // (whole-sample halves gave the odd sample to the high level in every period).
  for (int i = 0; i < p; ++i) {
    const int64_t phase = (int64_t{i + 1} * f - 1) % kRate;
    samples[i] = 2 * phase < kRate ? kLow : kHigh;
  }
  if (p > 0) samples[p - 1] = kSilence;
  samples.resize(p);
  return samples;
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
    const audio::PcmData pcm{{1, kRate, 8}, BuildToneSamples(frequency)};
    sound->samples = audio::ConvertToStereoFloat(pcm, rate);
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
