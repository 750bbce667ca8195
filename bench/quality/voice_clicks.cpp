// Clicks in the recorded voice: every catalogue message and a paragraph are spoken at each
// speech speed 1 to 5 (as say_to_wav --voice recorded does), and the captured stream is searched
// for the waveform. The pieces and letters are sampled at 11025 Hz, so what the stream holds above
// 6 kHz comes from a sound cut or ended without a fade. A click is a run of 5 ms frames whose
// energy above 6 kHz lies more than 40 dB over the median of the file's frames there.
//
// Usage: voice_clicks [--list] [SPEED...]   (--list prints the time of every click)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "lib/spoken_corpus.hpp"
#include "voice/recorded_voice.hpp"

namespace {

using namespace cadencio;

constexpr double kHighPassHz = 6000.0;
// The cut-off for a speed with faster playback.
constexpr double kFastHighPassHz = 9000.0;
constexpr double kFrameMs = 5.0;
constexpr double kJumpDb = 40.0;
// Energy below this (about -120 dB of full scale) counts as this, so that a file of digital
// silence does not make every frame a jump.
constexpr double kEnergyFloor = 1e-12;

// Energy above the cut-off in each frame: the frame's Hann-windowed spectrum, summed over the
// bins above the cut-off. Only those bins are computed, from tables of the window and of the
// sines and cosines.
class HighBandEnergy {
 public:
  HighBandEnergy(int rate, std::size_t frame, double cutoff) : frame_(frame) {
    window_.resize(frame);
    for (std::size_t n = 0; n < frame; ++n) {
      window_[n] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                        static_cast<double>(frame));
    }
    first_bin_ = static_cast<std::size_t>(
        std::ceil(cutoff * static_cast<double>(frame) / static_cast<double>(rate)));
    for (std::size_t k = first_bin_; k <= frame / 2; ++k) {
      for (std::size_t n = 0; n < frame; ++n) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(k * n % frame) /
                             static_cast<double>(frame);
        cos_.push_back(std::cos(phase));
        sin_.push_back(std::sin(phase));
      }
    }
  }

  double operator()(const int16_t* samples) {
    windowed_.resize(frame_);
    for (std::size_t n = 0; n < frame_; ++n) windowed_[n] = window_[n] * samples[n] / 32768.0;
    double energy = 0;
    std::size_t table = 0;
    for (std::size_t k = first_bin_; k <= frame_ / 2; ++k) {
      double re = 0;
      double im = 0;
      for (std::size_t n = 0; n < frame_; ++n, ++table) {
        re += windowed_[n] * cos_[table];
        im += windowed_[n] * sin_[table];
      }
      energy += re * re + im * im;
    }
    return energy / static_cast<double>(frame_);
  }

 private:
  std::size_t frame_;
  std::size_t first_bin_ = 0;
  std::vector<double> window_, cos_, sin_, windowed_;
};

struct ClickCount {
  double seconds = 0;
  double median_db = 0;
  std::vector<double> at_seconds;  // start of every click
};

ClickCount CountClicks(const std::vector<int16_t>& samples, int rate, double cutoff) {
  const auto frame = static_cast<std::size_t>(std::lround(rate * kFrameMs / 1000.0));
  HighBandEnergy high_band(rate, frame, cutoff);
  std::vector<double> energy;
  for (std::size_t start = 0; start + frame <= samples.size(); start += frame) {
    energy.push_back(std::max(high_band(samples.data() + start), kEnergyFloor));
  }
  ClickCount count;
  count.seconds = static_cast<double>(samples.size()) / rate;
  if (energy.empty()) return count;
  std::vector<double> sorted = energy;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2),
                   sorted.end());
  const double median = sorted[sorted.size() / 2];
  count.median_db = 10.0 * std::log10(median);
  const double threshold = median * std::pow(10.0, kJumpDb / 10.0);
  bool in_click = false;
  for (std::size_t i = 0; i < energy.size(); ++i) {
    const bool loud = energy[i] > threshold;
    if (loud && !in_click) count.at_seconds.push_back(static_cast<double>(i * frame) / rate);
    in_click = loud;
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  bool list = false;
  std::vector<int> speeds;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list") == 0) {
      list = true;
    } else if (std::strlen(argv[i]) == 1 && argv[i][0] >= '1' && argv[i][0] <= '5') {
      speeds.push_back(argv[i][0] - '0');
    } else {
      std::fprintf(stderr, "usage: voice_clicks [--list] [SPEED...]  (speeds 1 to 5)\n");
      return 2;
    }
  }
  if (speeds.empty()) speeds = {1, 2, 3, 4, 5};

  // The recorded voice, whatever voice the shipped configuration chooses.
  const say::ShippedConfig config(say::FindVoice("recorded"));
  if (!config.Error().empty()) {
    std::fprintf(stderr, "voice_clicks: %s\n", config.Error().c_str());
    return 1;
  }
  const std::string& data_root = config.DataRoot();
  if (const int code = say::ProbeVoice(data_root); code != voice::kVoiceReady) {
    std::fprintf(stderr, "voice_clicks: the recorded voice does not open (code %d) under %s\n",
                 code, data_root.c_str());
    return 1;
  }
  const std::vector<std::string> texts = say::CatalogueAndParagraph();
  std::printf(
      "%zu texts; a click: 5 ms frames %.0f dB over the median energy above the "
      "cut-off\n",
      texts.size(), kJumpDb);
  std::printf("speed  length (s)  cut-off (Hz)  median (dB)  clicks  clicks/min\n");
  int failures = 0;
  for (int speed : speeds) {
    const say::SpokenTake take = say::SpeakTexts(data_root, speed, texts);
    if (take.speaking_ms < 0) {
      std::fprintf(stderr, "voice_clicks: speed %d: %s\n", speed, take.error.c_str());
      ++failures;
      continue;
    }
    std::vector<double> cutoffs = {kHighPassHz};
    if (take.fast_playback) cutoffs.push_back(kFastHighPassHz);
    for (double cutoff : cutoffs) {
      const ClickCount count = CountClicks(take.samples, say::kCaptureRate, cutoff);
      const double per_minute =
          count.seconds > 0 ? 60.0 * static_cast<double>(count.at_seconds.size()) / count.seconds
                            : 0.0;
      std::printf("%5d  %10.1f  %12.0f  %11.1f  %6zu  %10.2f\n", take.speed, count.seconds, cutoff,
                  count.median_db, count.at_seconds.size(), per_minute);
      if (list) {
        for (double at : count.at_seconds) std::printf("         click at %.3f s\n", at);
      }
    }
  }
  return failures == 0 ? 0 : 1;
}
