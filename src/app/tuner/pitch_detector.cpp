// aubio's pitch detector behind a plain interface, so that no aubio type reaches the tuner.
#include "app/tuner/pitch_detector.hpp"

#include <aubio/aubio.h>

#include <cmath>

namespace cadencio::app {

namespace {
// Below this level a frame is silence: aubio answers 0 Hz for it.
constexpr float kSilenceDb = -50.0f;
// YIN's threshold on its normalised difference function.
constexpr float kTolerance = 0.15f;
}  // namespace

struct PitchDetector::Aubio {
  aubio_pitch_t* pitch = nullptr;
  fvec_t* in = nullptr;
  fvec_t* out = nullptr;
  ~Aubio() {
    if (pitch != nullptr) del_aubio_pitch(pitch);
    if (in != nullptr) del_fvec(in);
    if (out != nullptr) del_fvec(out);
  }
};

PitchDetector::PitchDetector(int sample_rate, int window, int hop)
    : sample_rate_(sample_rate), hop_(hop), aubio_(std::make_unique<Aubio>()) {
  char method[] = "yinfast";
  char unit[] = "Hz";
  aubio_->pitch = new_aubio_pitch(method, static_cast<uint_t>(window), static_cast<uint_t>(hop),
                                  static_cast<uint_t>(sample_rate));
  aubio_->in = new_fvec(static_cast<uint_t>(hop));
  aubio_->out = new_fvec(1);
  if (aubio_->pitch != nullptr) {
    aubio_pitch_set_unit(aubio_->pitch, unit);
    aubio_pitch_set_silence(aubio_->pitch, kSilenceDb);
    aubio_pitch_set_tolerance(aubio_->pitch, kTolerance);
  }
  pending_.reserve(static_cast<std::size_t>(hop));
}

PitchDetector::~PitchDetector() = default;

void PitchDetector::Feed(const float* samples, std::size_t count, std::vector<PitchFrame>& frames) {
  const std::size_t hop = static_cast<std::size_t>(hop_);
  for (std::size_t i = 0; i < count; ++i) {
    pending_.push_back(samples[i]);
    if (pending_.size() < hop) continue;
    PitchFrame frame;
    double energy = 0;
    for (std::size_t k = 0; k < hop; ++k) {
      aubio_->in->data[k] = pending_[k];
      energy += static_cast<double>(pending_[k]) * pending_[k];
    }
    frame.level_db = energy > 0 ? 10 * std::log10(energy / static_cast<double>(hop)) : -120;
    if (aubio_->pitch != nullptr) {
      aubio_pitch_do(aubio_->pitch, aubio_->in, aubio_->out);
      frame.hz = aubio_->out->data[0];
      frame.confidence = aubio_pitch_get_confidence(aubio_->pitch);
    }
    frames.push_back(frame);
    pending_.clear();
  }
}

}  // namespace cadencio::app
