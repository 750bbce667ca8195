// Sample-rate conversion of interleaved float frames (libsamplerate's sinc converters), in two
// faces: a whole buffer converted at once, and a stream converted block by block that keeps its
// filter state between blocks. Every playback path converts with kPlaybackQuality, so that a
// sound loaded from a file, a block written to the wave-out channel and a recording made "as
// played" by the generators sound alike.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace cadencio::audio {

enum class ResampleQuality {
  // The medium sinc converter: it keeps 90 % of the source's band, where the fastest one keeps
  // 80 % (a 16 kHz voice keeps its "s" up to 7.2 kHz instead of losing everything above
  // 6.4 kHz), at a cost the program thread can pay for every block it converts.
  kMedium,
  // The best sinc converter, for the generators' offline work where time does not count.
  kBest,
};

// The converter of every path that plays sound.
inline constexpr ResampleQuality kPlaybackQuality = ResampleQuality::kMedium;

// Whether the converter can change the rate by `ratio` (output rate / input rate).
bool IsResampleRatioValid(double ratio);

// Converts all of `in` (`channels` interleaved channels) by `ratio`, the end of the input
// included, so that the filter's tail is flushed and the end of the sound is kept. At most
// out.size() / channels frames are written to `out`; answers how many, or nothing when the
// converter cannot be made or refuses the data.
std::optional<int64_t> ResampleBuffer(std::span<const float> in, std::span<float> out, int channels,
                                      double ratio, ResampleQuality quality = kPlaybackQuality);

// A conversion that goes on over many blocks. Making, copying and resetting one allocate or
// free memory; Convert does neither, but it is meant for the program thread all the same.
class StreamResampler {
 public:
  // Nothing when the converter cannot be made.
  static std::unique_ptr<StreamResampler> Create(int channels, double ratio,
                                                 ResampleQuality quality = kPlaybackQuality);
  ~StreamResampler();
  StreamResampler(const StreamResampler&) = delete;
  StreamResampler& operator=(const StreamResampler&) = delete;

  // A converter in the same state, which can run on without changing this one; nothing when
  // it cannot be made.
  std::unique_ptr<StreamResampler> Clone() const;
  // Forgets the blocks converted so far.
  void Reset();

  // Converts the `in_frames` frames at `in` into at most `out_capacity` frames at `out` and
  // answers how many were made. Without `end_of_input`, the converter keeps back what its filter
  // still needs and gives it with the next block; with it, the input is the last and what the
  // converter holds is flushed out.
  int64_t Convert(const float* in, int64_t in_frames, float* out, int64_t out_capacity,
                  bool end_of_input);

 private:
  struct State;
  explicit StreamResampler(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace cadencio::audio
