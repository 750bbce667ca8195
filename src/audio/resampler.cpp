// Sample-rate conversion with libsamplerate: the one place that chooses its converters and
// drives its process calls.
#include "audio/resampler.hpp"

#include <samplerate.h>

#include <algorithm>

namespace cadencio::audio {

namespace {

int ConverterOf(ResampleQuality quality) {
  return quality == ResampleQuality::kBest ? SRC_SINC_BEST_QUALITY : SRC_SINC_MEDIUM_QUALITY;
}

struct Converted {
  int64_t frames = 0;
  bool failed = false;
};

// Feeds `in` to the converter until the output is full or nothing more comes out. Without the
// end of the input, the loop stops once every input frame is taken; with it, it goes on until
// the converter has given up what it holds.
Converted Drive(SRC_STATE* state, int channels, double ratio, const float* in, int64_t in_frames,
                float* out, int64_t out_capacity, bool end_of_input) {
  Converted result;
  int64_t used = 0;
  while (result.frames < out_capacity) {
    if (!end_of_input && used >= in_frames) break;
    SRC_DATA data{};
    // Never a null input pointer, even when every frame is used up.
    data.data_in = in + std::max<int64_t>(0, std::min(used, in_frames - 1)) * channels;
    data.input_frames = static_cast<long>(in_frames - used);
    data.data_out = out + result.frames * channels;
    data.output_frames = static_cast<long>(out_capacity - result.frames);
    data.end_of_input = end_of_input ? 1 : 0;
    data.src_ratio = ratio;
    if (src_process(state, &data) != 0) {
      result.failed = true;
      break;
    }
    used += data.input_frames_used;
    result.frames += data.output_frames_gen;
    if (data.output_frames_gen == 0 &&
        (end_of_input ? used >= in_frames : data.input_frames_used == 0)) {
      break;
    }
  }
  return result;
}

}  // namespace

bool IsResampleRatioValid(double ratio) {
  return src_is_valid_ratio(ratio) != 0;
}

std::optional<int64_t> ResampleBuffer(std::span<const float> in, std::span<float> out, int channels,
                                      double ratio, ResampleQuality quality) {
  if (channels <= 0) return std::nullopt;
  int error = 0;
  SRC_STATE* state = src_new(ConverterOf(quality), channels, &error);
  if (state == nullptr) return std::nullopt;
  const Converted converted =
      Drive(state, channels, ratio, in.data(), static_cast<int64_t>(in.size()) / channels,
            out.data(), static_cast<int64_t>(out.size()) / channels, /*end_of_input=*/true);
  src_delete(state);
  if (converted.failed) return std::nullopt;
  return converted.frames;
}

struct StreamResampler::State {
  SRC_STATE* converter = nullptr;
  int channels = 0;
  double ratio = 1.0;
  ~State() {
    if (converter) src_delete(converter);
  }
};

StreamResampler::StreamResampler(std::unique_ptr<State> state) : state_(std::move(state)) {}

StreamResampler::~StreamResampler() = default;

std::unique_ptr<StreamResampler> StreamResampler::Create(int channels, double ratio,
                                                         ResampleQuality quality) {
  auto state = std::make_unique<State>();
  int error = 0;
  state->converter = src_new(ConverterOf(quality), channels, &error);
  if (!state->converter) return nullptr;
  state->channels = channels;
  state->ratio = ratio;
  return std::unique_ptr<StreamResampler>(new StreamResampler(std::move(state)));
}

std::unique_ptr<StreamResampler> StreamResampler::Clone() const {
  auto state = std::make_unique<State>();
  int error = 0;
  state->converter = src_clone(state_->converter, &error);
  if (!state->converter) return nullptr;
  state->channels = state_->channels;
  state->ratio = state_->ratio;
  return std::unique_ptr<StreamResampler>(new StreamResampler(std::move(state)));
}

void StreamResampler::Reset() {
  src_reset(state_->converter);
}

int64_t StreamResampler::Convert(const float* in, int64_t in_frames, float* out,
                                 int64_t out_capacity, bool end_of_input) {
  return Drive(state_->converter, state_->channels, state_->ratio, in, in_frames, out, out_capacity,
               end_of_input)
      .frames;
}

}  // namespace cadencio::audio
